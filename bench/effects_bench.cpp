// Run: cmake -S . -B build/fx-rel -G Ninja -DCMAKE_BUILD_TYPE=Release -DKORVANE_BENCH=ON -DKORVANE_TESTS=OFF && cmake --build build/fx-rel && build/fx-rel/bench/effects_bench
//
// Every effect on the 20-megapixel sample decoded at 1/1, next to the time
// of decoding that photograph in the same run; and the whole chain at its
// most expensive on a 220 x 220 picture (the preview's worst case).
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include <jpeglib.h>

#include "effects/blur.h"
#include "effects/color_mode.h"
#include "effects/contrast.h"
#include "effects/effect_chain.h"
#include "effects/outline_shadow.h"
#include "effects/vignette.h"

namespace korvane {
namespace {

struct Picture {
  int width = 0, height = 0, channels = 0;
  std::vector<std::vector<std::uint8_t>> data;
  std::vector<std::uint8_t*> rows;
  void Bind() {
    rows.clear();
    for (auto& r : data) rows.push_back(r.data());
  }
  void CopyFrom(const Picture& o) {
    for (std::size_t y = 0; y < data.size(); ++y) std::memcpy(data[y].data(), o.data[y].data(), data[y].size());
  }
};

std::vector<std::uint8_t> ReadFile(const std::string& path) {
  std::vector<std::uint8_t> bytes;
  if (FILE* f = std::fopen(path.c_str(), "rb")) {
    std::uint8_t buf[65536];
    std::size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) bytes.insert(bytes.end(), buf, buf + n);
    std::fclose(f);
  }
  return bytes;
}

Picture Decode(const std::vector<std::uint8_t>& jpeg, unsigned denom) {
  jpeg_error_mgr err;
  jpeg_decompress_struct d;
  d.err = jpeg_std_error(&err);
  jpeg_create_decompress(&d);
  jpeg_mem_src(&d, jpeg.data(), static_cast<unsigned long>(jpeg.size()));
  jpeg_read_header(&d, TRUE);
  d.scale_num = 1;
  d.scale_denom = denom;
  jpeg_start_decompress(&d);
  Picture p;
  p.width = static_cast<int>(d.output_width);
  p.height = static_cast<int>(d.output_height);
  p.channels = d.output_components;
  p.data.assign(static_cast<std::size_t>(p.height),
                std::vector<std::uint8_t>(static_cast<std::size_t>(p.width * p.channels)));
  p.Bind();
  while (d.output_scanline < d.output_height)
    jpeg_read_scanlines(&d, p.rows.data() + d.output_scanline, d.output_height - d.output_scanline);
  jpeg_finish_decompress(&d);
  jpeg_destroy_decompress(&d);
  return p;
}

const std::vector<std::uint8_t>& SampleJpeg() {
  static const std::vector<std::uint8_t> bytes =
      ReadFile(std::string(KORVANE_SAMPLES_DIR) + "/Kleiber_by_Lukas_Baubkus.jpg");
  return bytes;
}

const Picture& Photo() {
  static const Picture p = Decode(SampleJpeg(), 1);
  return p;
}

// A working copy, restored before every timed run.
Picture& Work() {
  static Picture w = [] {
    Picture p = Photo();
    p.Bind();
    return p;
  }();
  return w;
}

template <typename Effect>
void RunOnPhoto(benchmark::State& state, Effect effect) {
  Picture& w = Work();
  const auto width = static_cast<std::uint32_t>(w.width), height = static_cast<std::uint32_t>(w.height);
  for (auto _ : state) {
    state.PauseTiming();
    w.CopyFrom(Photo());
    state.ResumeTiming();
    effect(w.rows.data(), width, height);
    benchmark::ClobberMemory();
  }
}

void BM_Decode1to1(benchmark::State& state) {
  const auto& jpeg = SampleJpeg();
  for (auto _ : state) {
    Picture p = Decode(jpeg, 1);
    benchmark::DoNotOptimize(p.rows.data());
  }
}
BENCHMARK(BM_Decode1to1)->Unit(benchmark::kMillisecond);

void BM_ColorMode(benchmark::State& state) {
  const auto mode = static_cast<std::int32_t>(state.range(0));
  state.SetLabel(std::to_string(mode));
  RunOnPhoto(state, [&](std::uint8_t* const* r, std::uint32_t w, std::uint32_t h) {
    ApplyColorMode(r, w, h, mode, 0xFF0000);
  });
}
BENCHMARK(BM_ColorMode)->DenseRange(1, 15)->Unit(benchmark::kMillisecond);

void BM_Contrast(benchmark::State& state) {
  const auto mode = static_cast<std::int32_t>(state.range(0));
  RunOnPhoto(state, [&](std::uint8_t* const* r, std::uint32_t w, std::uint32_t h) {
    ApplyContrast(r, w, h, false, mode);
  });
}
BENCHMARK(BM_Contrast)->Arg(1)->Arg(7)->Unit(benchmark::kMillisecond);

void BM_Blur(benchmark::State& state) {
  const auto mode = static_cast<std::int32_t>(state.range(0));
  RunOnPhoto(state, [&](std::uint8_t* const* r, std::uint32_t w, std::uint32_t h) {
    ApplyBlur(r, w, h, false, mode);
  });
}
BENCHMARK(BM_Blur)->DenseRange(1, 5)->Unit(benchmark::kMillisecond);

// Shape x 3 + thickness; the mask is built once before the timing.
void BM_Vignette(benchmark::State& state) {
  const auto shape = static_cast<std::int32_t>(state.range(0) / 3);
  const auto thickness = static_cast<std::int32_t>(state.range(0) % 3);
  Picture& w = Work();
  ApplyVignette(w.rows.data(), static_cast<std::uint32_t>(w.width), static_cast<std::uint32_t>(w.height), false,
                0x204080, shape, thickness);
  RunOnPhoto(state, [&](std::uint8_t* const* r, std::uint32_t wd, std::uint32_t h) {
    ApplyVignette(r, wd, h, false, 0x204080, shape, thickness);
  });
}
BENCHMARK(BM_Vignette)->DenseRange(0, 8)->Unit(benchmark::kMillisecond);

void BM_VignetteMaskBuild(benchmark::State& state) {
  const auto shape = static_cast<std::int32_t>(state.range(0));
  VignetteMask mask;
  for (auto _ : state) BuildVignetteMask(mask, 6028, 3391, shape, kThicknessThin);
}
BENCHMARK(BM_VignetteMaskBuild)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);

OutlineShadowSettings MostExpensiveOutline() {
  OutlineShadowSettings s;
  s.background = kFillRandomPale;
  s.outline = kFillCustom;
  s.outlineRgb = 0x102030;
  s.shadow = kFillRandomVivid;
  s.outlineGrouping = s.shadowGrouping = 1;
  s.outlineSmoothing = s.shadowSmoothing = 1;
  return s;
}

void BM_OutlineShadow(benchmark::State& state) {
  OutlineShadowSettings s = MostExpensiveOutline();
  // Both layers' planes made separately when range(0) is 1 (shadow after the blur).
  s.shadowBeforeBlur = state.range(0) == 1 ? 0 : 1;
  const bool blurOn = state.range(0) == 1;
  OutlineShadowWorkspace ws;
  RunOnPhoto(state, [&](std::uint8_t* const* r, std::uint32_t w, std::uint32_t h) {
    PrepareOutlineShadow(r, w, h, false, blurOn, s, ws);
    ApplyOutlineShadow(r, w, h, false, blurOn, s, ws);
  });
}
BENCHMARK(BM_OutlineShadow)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// The preview: a 220 x 220 crop of the photograph at 1/8, every option at
// its most expensive, its own workspace kept between renders.
void BM_PreviewChain220(benchmark::State& state) {
  static const Picture small = Decode(SampleJpeg(), 8);
  Picture p;
  p.width = p.height = 220;
  p.channels = 3;
  for (int y = 0; y < 220; ++y)
    p.data.emplace_back(small.data[static_cast<std::size_t>(y)].begin(),
                        small.data[static_cast<std::size_t>(y)].begin() + 220 * 3);
  p.Bind();
  Picture original = p;
  original.Bind();
  OutputSettings settings;
  settings.colorMode = kColorVivid4;
  settings.contrast = kContrastLevel6;
  settings.blur = kBlurSuperSoftFocus;
  settings.specialEffect = kEffectOutlineShadow;
  settings.outlineShadow = MostExpensiveOutline();
  settings.outlineShadow.outlineBeforeBlur = 0;
  settings.vignetteOn = 1;
  settings.vignetteShape = kShapeOuterEllipse;
  OutlineShadowWorkspace ws;
  for (auto _ : state) {
    p.CopyFrom(original);
    OutputSettings copy = settings;
    ApplyEffectChain(p.rows.data(), 220, 220, false, copy, ws);
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_PreviewChain220)->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly(true);

}  // namespace
}  // namespace korvane

BENCHMARK_MAIN();

// The converter against the in-process limit: the same photo decoded at the
// same scale and encoded at the same quality with the same library calls,
// nothing else (whole file read into memory, output written in one go).
// Prints the ratio ours/limit per scale, then the peak memory of a 1/1
// conversion with a quarter turn, measured in a child process.
//
// Run: bash bench/run.sh   (or build/native-release/bench/pipeline_bench [PHOTO])
#include <benchmark/benchmark.h>
#include <jpeglib.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "pipeline/process_image.h"
#include "platform/text.h"

extern char** environ;

namespace {

using namespace korvane;
namespace fs = std::filesystem;

std::string photo = KORVANE_SAMPLES_DIR "/Kleiber_by_Lukas_Baubkus.jpg";
fs::path outDir;

int ScaleIndex(int denominator) { return denominator == 1 ? 0 : denominator == 2 ? 1 : denominator == 4 ? 2 : 3; }

void BM_ProcessImage(benchmark::State& state) {
  OutputSettings s;
  s.scale = ScaleIndex(static_cast<int>(state.range(0)));
  const std::u16string src = Utf8ToUtf16(photo);
  const std::u16string dst = outDir.u16string();
  char16_t text[kResultTextUnits];
  for (auto _ : state)
    if (!ProcessImage(text, src, dst, s)) state.SkipWithError(Utf16ToUtf8(text).c_str());
}

// The limit: read, decode at 1/N into one buffer, encode in one call, write.
void BM_Limit(benchmark::State& state) {
  const unsigned denominator = static_cast<unsigned>(state.range(0));
  const fs::path out = outDir / "limit.jpg";
  for (auto _ : state) {
    std::ifstream in(photo, std::ios::binary | std::ios::ate);
    std::vector<unsigned char> file(static_cast<std::size_t>(in.tellg()));
    in.seekg(0);
    in.read(reinterpret_cast<char*>(file.data()), static_cast<std::streamsize>(file.size()));
    jpeg_error_mgr err;
    jpeg_decompress_struct d;
    d.err = jpeg_std_error(&err);
    jpeg_create_decompress(&d);
    jpeg_mem_src(&d, file.data(), static_cast<unsigned long>(file.size()));
    jpeg_read_header(&d, TRUE);
    d.scale_num = 1;
    d.scale_denom = denominator;
    jpeg_start_decompress(&d);
    const std::size_t stride = std::size_t(d.output_width) * d.output_components;
    std::unique_ptr<unsigned char[]> pixels(new unsigned char[stride * d.output_height]);
    std::vector<JSAMPROW> rows(d.output_height);
    for (JDIMENSION y = 0; y < d.output_height; ++y) rows[y] = pixels.get() + y * stride;
    while (d.output_scanline < d.output_height)
      jpeg_read_scanlines(&d, rows.data() + d.output_scanline, d.output_height - d.output_scanline);

    jpeg_compress_struct c;
    c.err = jpeg_std_error(&err);
    jpeg_create_compress(&c);
    unsigned char* mem = nullptr;
    unsigned long memSize = 0;
    jpeg_mem_dest(&c, &mem, &memSize);
    c.image_width = d.output_width;
    c.image_height = d.output_height;
    c.input_components = d.output_components;
    c.in_color_space = d.out_color_space;
    jpeg_set_defaults(&c);
    jpeg_set_quality(&c, 100, TRUE);
    jpeg_start_compress(&c, TRUE);
    jpeg_write_scanlines(&c, rows.data(), d.output_height);
    jpeg_finish_decompress(&d);
    jpeg_finish_compress(&c);
    std::ofstream(out, std::ios::binary).write(reinterpret_cast<char*>(mem), static_cast<std::streamsize>(memSize));
    std::free(mem);
    jpeg_destroy_compress(&c);
    jpeg_destroy_decompress(&d);
  }
}

// Ours and the limit alternate, scale by scale, so that drift hits both alike.
void RegisterPairs() {
  for (int scale : {1, 2, 8}) {
    for (auto* b : {benchmark::RegisterBenchmark("BM_ProcessImage", BM_ProcessImage),
                    benchmark::RegisterBenchmark("BM_Limit", BM_Limit)})
      b->Arg(scale)->Unit(benchmark::kMillisecond)->Repetitions(9)->ReportAggregatesOnly(true);
  }
}

// Collects the medians so that the ratios can be printed after the table.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& r : runs)
      if (r.aggregate_name == "median") medians[r.run_name.function_name][r.run_name.args] = r.GetAdjustedRealTime();
  }
  std::map<std::string, std::map<std::string, double>> medians;
};

// Peak memory of one 1/1 conversion with a quarter turn, in a fresh process.
int MemoryChild() {
  OutputSettings s;
  s.scale = 0;
  s.rotation = kRotateClockwise;
  char16_t text[kResultTextUnits];
  const bool ok = ProcessImage(text, Utf8ToUtf16(photo), outDir.u16string(), s);
  std::fprintf(stderr, "memory run: %s\n", Utf16ToUtf8(text).c_str());
  return ok ? 0 : 1;
}

void ReportMemory(const char* self) {
  // Decoded size from the header alone.
  jpeg_error_mgr err;
  jpeg_decompress_struct d;
  d.err = jpeg_std_error(&err);
  jpeg_create_decompress(&d);
  FILE* f = std::fopen(photo.c_str(), "rb");
  jpeg_stdio_src(&d, f);
  jpeg_read_header(&d, TRUE);
  jpeg_calc_output_dimensions(&d);
  const double decoded = double(d.output_width) * d.output_height * d.output_components;
  jpeg_destroy_decompress(&d);
  std::fclose(f);

  pid_t pid;
  const std::string dir = outDir.string();
  char* argv[] = {const_cast<char*>(self), const_cast<char*>("--memory-child"), const_cast<char*>(photo.c_str()),
                  const_cast<char*>(dir.c_str()), nullptr};
  if (posix_spawn(&pid, "/proc/self/exe", nullptr, nullptr, argv, environ) != 0) return;
  int status = 0;
  rusage usage{};
  wait4(pid, &status, 0, &usage);
  const double peak = usage.ru_maxrss * 1024.0;
  const double limit = 2.2 * decoded + 16.0 * 1024 * 1024;
  std::printf("\npeak memory, 1/1 with a quarter turn: %.1f MiB (decoded image %.1f MiB; target <= %.1f MiB) %s\n",
              peak / 1048576, decoded / 1048576, limit / 1048576, peak <= limit ? "OK" : "MISSED");
}

}  // namespace

int main(int argc, char** argv) {
  if (argc >= 4 && std::strcmp(argv[1], "--memory-child") == 0) {
    photo = argv[2];
    outDir = argv[3];
    return MemoryChild();
  }
  RegisterPairs();
  benchmark::Initialize(&argc, argv);
  if (argc > 1) photo = argv[1];
  outDir = fs::temp_directory_path() / ("korvane-bench-" + std::to_string(getpid()));
  fs::create_directories(outDir);

  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  std::printf("\n%s\n%-8s %12s %12s %8s %s\n", photo.c_str(), "scale", "ours ms", "limit ms", "ratio", "(target <= 1.05)");
  for (const char* scale : {"1", "2", "8"}) {
    const double ours = reporter.medians["BM_ProcessImage"][scale];
    const double limit = reporter.medians["BM_Limit"][scale];
    if (limit > 0)
      std::printf("1/%-6s %12.1f %12.1f %8.3f %s\n", scale, ours, limit, ours / limit, ours / limit <= 1.05 ? "OK" : "MISSED");
  }
  ReportMemory(argv[0]);
  fs::remove_all(outDir);
  benchmark::Shutdown();
  return 0;
}

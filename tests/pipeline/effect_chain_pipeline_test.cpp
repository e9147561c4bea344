// A real photograph through the converter equals, byte for byte, the same
// photograph decoded by hand, run through the effect chain and encoded with
// the same library calls.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <jpeglib.h>

#include "effects/effect_chain.h"
#include "pipeline/process_image.h"
#include "platform/text.h"
#include "support/jpeg_fixtures.h"

namespace korvane {
namespace {

using testing::ReadBytes;
using testing::SamplePath;
using testing::ScratchFolder;

std::vector<std::uint8_t> ByHand(const std::vector<std::uint8_t>& source, OutputSettings settings) {
  jpeg_error_mgr err;
  jpeg_decompress_struct d;
  d.err = jpeg_std_error(&err);
  jpeg_create_decompress(&d);
  jpeg_mem_src(&d, source.data(), static_cast<unsigned long>(source.size()));
  jpeg_read_header(&d, TRUE);
  d.scale_num = 1;
  d.scale_denom = static_cast<unsigned>(ScaleDenominator(settings.scale));
  if (settings.colorMode == kColorGrayscale) d.out_color_space = JCS_GRAYSCALE;
  jpeg_start_decompress(&d);
  const int w = static_cast<int>(d.output_width), h = static_cast<int>(d.output_height);
  const int n = d.output_components;
  std::vector<std::vector<std::uint8_t>> rows(static_cast<std::size_t>(h),
                                              std::vector<std::uint8_t>(static_cast<std::size_t>(w * n)));
  std::vector<std::uint8_t*> ptrs;
  for (auto& r : rows) ptrs.push_back(r.data());
  while (d.output_scanline < d.output_height) jpeg_read_scanlines(&d, ptrs.data() + d.output_scanline, d.output_height - d.output_scanline);
  jpeg_finish_decompress(&d);
  jpeg_destroy_decompress(&d);

  OutlineShadowWorkspace ws;
  ApplyEffectChain(ptrs.data(), w, h, n == 1, settings, ws);

  jpeg_compress_struct c;
  c.err = jpeg_std_error(&err);
  jpeg_create_compress(&c);
  unsigned char* out = nullptr;
  unsigned long outSize = 0;
  jpeg_mem_dest(&c, &out, &outSize);
  c.image_width = static_cast<JDIMENSION>(w);
  c.image_height = static_cast<JDIMENSION>(h);
  c.input_components = n;
  c.in_color_space = n == 1 ? JCS_GRAYSCALE : JCS_RGB;
  jpeg_set_defaults(&c);
  jpeg_set_quality(&c, QualityValue(settings.quality), TRUE);
  jpeg_start_compress(&c, TRUE);
  jpeg_write_scanlines(&c, ptrs.data(), static_cast<JDIMENSION>(h));
  jpeg_finish_compress(&c);
  std::vector<std::uint8_t> bytes(out, out + outSize);
  jpeg_destroy_compress(&c);
  std::free(out);
  return bytes;
}

TEST(EffectChainPipeline, ConverterOutputEqualsTheChainAppliedByHand) {
  struct Case {
    const char* sample;
    OutputSettings settings;
  };
  std::vector<Case> cases;
  {
    OutputSettings s;  // colour: boost, contrast, soft focus, outline and shadow in fixed colours, vignette
    s.scale = 3;
    s.quality = 2;
    s.colorMode = kColorVivid3;
    s.contrast = kContrastLevel2;
    s.blur = kBlurSoftFocus;
    s.specialEffect = kEffectOutlineShadow;
    s.outlineShadow.background = kFillOriginal;
    s.outlineShadow.outline = kFillCustom;
    s.outlineShadow.outlineRgb = 0x2040C0;
    s.outlineShadow.shadow = kFillBlack;
    s.outlineShadow.shadowBeforeBlur = 0;
    s.outlineShadow.outlineGrouping = 1;
    s.vignetteOn = 1;
    s.vignetteShape = kShapeOuterEllipse;
    s.vignetteRgb = 0x3060FF;
    cases.push_back({"Kleiber_by_Lukas_Baubkus.jpg", s});
  }
  {
    OutputSettings s;  // grey decoding of a colour photograph, no special effect
    s.scale = 3;
    s.colorMode = kColorGrayscale;
    s.contrast = kContrastAuto;
    s.blur = kBlurSuperSoftFocus;
    s.vignetteOn = 1;
    s.vignetteShape = kShapeFrame;
    s.vignetteThickness = kThicknessThick;
    s.vignetteRgb = 0x0000FF;
    cases.push_back({"seeding_by_Clements_Engelhardt.jpg", s});
  }
  {
    OutputSettings s;  // a grey source: the colour mode is skipped
    s.scale = 2;
    s.colorMode = kColorNegative;
    s.contrast = kContrastLevel5;
    s.blur = kBlurMedium;
    s.vignetteOn = 1;
    s.vignetteShape = kShapeInnerEllipse;
    cases.push_back({"picosdeeuropa_by_Aitzol_Berasategi_gray.jpg", s});
  }
  ScratchFolder scratch;
  for (const Case& c : cases) {
    const std::u16string source = SamplePath(c.sample);
    char16_t text[kResultTextUnits];
    ASSERT_TRUE(ProcessImage(text, source, scratch.path(), c.settings)) << Utf16ToUtf8(text);
    const std::vector<std::uint8_t> converted = ReadBytes(scratch.File(Utf8ToUtf16(c.sample)));
    const std::vector<std::uint8_t> byHand = ByHand(ReadBytes(source), c.settings);
    ASSERT_FALSE(converted.empty());
    EXPECT_TRUE(converted == byHand) << c.sample << ": " << converted.size() << " vs " << byHand.size() << " bytes";
  }
}

}  // namespace
}  // namespace korvane

#include "pipeline/process_image.h"

#include <new>
#include <string_view>

#include "effects/effect_chain.h"
#include "effects/gray_level.h"
#include "pipeline/file_name.h"
#include "pipeline/rotate.h"
#include "platform/platform.h"
#include "platform/text.h"

namespace korvane {
namespace {

constexpr char16_t kProcessError[] = u"Error occurred during image process.";

// Everything one call acquires. The destructor releases whatever is still
// held, so every way out (a fatal library error's jump included) frees
// exactly what was taken, and an output that was not finished is removed.
// The output is written under a working name and takes its own name only
// when whole, so a failed file never costs the earlier output of that name.
struct Conversion {
  JpegErrorManager err;
  jpeg_decompress_struct decoder{};
  jpeg_compress_struct encoder{};
  bool decoderCreated = false;
  bool encoderCreated = false;
  platform::File source;
  platform::File output;
  std::u16string outputPath;
  std::u16string workingPath;  // outputPath + ".part" while it is written
  bool outputCreated = false;
  bool outputComplete = false;
  ImageRows image;
  ImageRows turned;
  OutlineShadowWorkspace workspace;
  std::u16string text = kProcessError;

  Conversion() = default;
  Conversion(const Conversion&) = delete;
  Conversion& operator=(const Conversion&) = delete;
  ~Conversion() {
    turned.Free();
    image.Free();
    workspace.Free();
    if (decoderCreated) jpeg_destroy_decompress(&decoder);
    if (encoderCreated) jpeg_destroy_compress(&encoder);
    source.Close();
    output.Close();
    if (outputCreated && !outputComplete) platform::DeleteFileAt(workingPath);
  }
};

enum class Outcome { kConverted, kFailed, kLibraryError };

std::u16string FailureText(std::u16string_view verb, std::u16string_view fileName,
                           std::u16string_view message) {
  std::u16string t = u"Failed to ";
  t.append(verb).append(u" \"").append(fileName).append(u"\": ").append(message);
  t.append(u" (ProcessImage())");
  return t;
}

std::u16string FileText(std::u16string_view head, std::u16string_view fileName) {
  std::u16string t(head);
  t.append(u" \"").append(fileName).append(u"\". (ProcessImage())");
  return t;
}

// Four-component (CMYK, YCCK) rows become RGB, or grey through RGB, in place:
// each pixel's output lands at or before its input. Files carrying an Adobe
// marker store the inks inverted (0 = full ink), as Photoshop writes them.
void ConvertFourComponentRows(std::uint8_t* const* rows, std::uint32_t width, std::uint32_t height,
                              bool inverted, bool toGray) {
  for (std::uint32_t y = 0; y < height; ++y) {
    std::uint8_t* row = rows[y];
    for (std::uint32_t x = 0; x < width; ++x) {
      const std::uint8_t* in = row + std::size_t{x} * 4;
      unsigned c = in[0], m = in[1], yl = in[2], k = in[3];
      if (!inverted) {
        c = 255 - c;
        m = 255 - m;
        yl = 255 - yl;
        k = 255 - k;
      }
      const auto r = static_cast<std::uint8_t>((c * k + 127) / 255);
      const auto g = static_cast<std::uint8_t>((m * k + 127) / 255);
      const auto b = static_cast<std::uint8_t>((yl * k + 127) / 255);
      if (toGray) {
        row[x] = GrayLevel(r, g, b);
      } else {
        std::uint8_t* out = row + std::size_t{x} * 3;
        out[0] = r;
        out[1] = g;
        out[2] = b;
      }
    }
  }
}

bool BuildOutputPath(Conversion& c, const std::u16string& dstFolder, std::u16string_view fileName) {
  try {
    c.outputPath.reserve(dstFolder.size() + fileName.size() + 2);
    c.outputPath.assign(dstFolder).append(u"\\").append(fileName);
    c.workingPath = c.outputPath + u".part";  // never a JPEG name, so never another output
    return true;
  } catch (const std::bad_alloc&) {
    return false;
  }
}

// The library calls of one conversion, in their order. A fatal library error
// jumps back to the setjmp below; nothing here owns anything, `c` does.
Outcome RunConversion(Conversion& c, const std::u16string& sourcePath, std::u16string_view fileName,
                      const std::u16string& dstFolder, OutputSettings& settings) {
  if (setjmp(c.err.jump)) return Outcome::kLibraryError;

  c.decoder.err = SetUpErrorManager(c.err);
  jpeg_create_decompress(&c.decoder);
  c.decoderCreated = true;
  LimitDecoder(&c.decoder);

  c.source = platform::OpenForReading(sourcePath);
  if (!c.source.IsOpen()) {
    c.text = FileText(u"Failed to open source file", fileName);
    return Outcome::kFailed;
  }
  AttachHandleSource(&c.decoder, &c.source);
  jpeg_read_header(&c.decoder, TRUE);
  c.decoder.scale_num = 1;
  c.decoder.scale_denom = static_cast<unsigned>(ScaleDenominator(settings.scale));
  // Grey output straight from the decoder works for grey, YCbCr and RGB
  // sources; four-component ones go to grey through RGB below.
  const bool fourComponents =
      c.decoder.jpeg_color_space == JCS_CMYK || c.decoder.jpeg_color_space == JCS_YCCK;
  if (settings.colorMode == kColorGrayscale && !fourComponents)
    c.decoder.out_color_space = JCS_GRAYSCALE;
  // The output size is known before the decoder starts, so that a file the
  // converter cannot take fails before a progressive one is read whole.
  jpeg_calc_output_dimensions(&c.decoder);

  const std::uint32_t width = c.decoder.output_width;
  const std::uint32_t height = c.decoder.output_height;
  const int components = c.decoder.output_components;
  if (components != 1 && components != 3 && components != 4) {
    c.text = FailureText(u"decode", fileName,
                         u"Unsupported number of color components (" + DecimalText(components) + u")");
    return Outcome::kFailed;
  }
  if (CoefficientBufferBytes(&c.decoder) > static_cast<std::uint64_t>(kDecoderMemoryBytes)) {
    c.text = FailureText(u"decode", fileName, Utf8ToUtf16(kDecoderMemoryText));
    return Outcome::kFailed;
  }

  switch (c.image.Allocate(width, height, components)) {
    case RowAllocation::kNoRowArray:
      c.text = u"Failed to allocate memory. (ProcessImage() #1)";
      return Outcome::kFailed;
    case RowAllocation::kNoRow:
      c.text = u"Failed to allocate memory. (ProcessImage() #2)";
      return Outcome::kFailed;
    case RowAllocation::kAllocated:
      break;
  }
  jpeg_start_decompress(&c.decoder);
  std::uint8_t** rows = c.image.rows();
  while (c.decoder.output_scanline < height) {
    const std::uint32_t done = c.decoder.output_scanline;
    jpeg_read_scanlines(&c.decoder, rows + done, height - done);
  }

  int bytesPerPixel = components;
  if (components == 4) {
    bytesPerPixel = settings.colorMode == kColorGrayscale ? 1 : 3;
    ConvertFourComponentRows(rows, width, height, c.decoder.saw_Adobe_marker != 0,
                             bytesPerPixel == 1);
  }
  const bool singleChannel = settings.colorMode == kColorGrayscale || bytesPerPixel == 1;

  ApplyEffectChain(rows, static_cast<int>(width), static_cast<int>(height), singleChannel, settings,
                   c.workspace);

  c.encoder.err = SetUpErrorManager(c.err);
  jpeg_create_compress(&c.encoder);
  c.encoderCreated = true;

  if (!BuildOutputPath(c, dstFolder, fileName)) {
    c.text = u"Failed to allocate memory. (ProcessImage() #3)";
    return Outcome::kFailed;
  }
  c.output = platform::CreateForWriting(c.workingPath);
  if (!c.output.IsOpen()) {
    c.text = FileText(u"Failed to save a new file", fileName);
    return Outcome::kFailed;
  }
  c.outputCreated = true;

  AttachHandleDestination(&c.encoder, &c.output);
  c.encoder.image_width = width;
  c.encoder.image_height = height;
  c.encoder.input_components = bytesPerPixel;
  c.encoder.in_color_space = bytesPerPixel == 1 ? JCS_GRAYSCALE : JCS_RGB;
  jpeg_set_defaults(&c.encoder);
  jpeg_set_quality(&c.encoder, QualityValue(settings.quality), TRUE);

  if (!CompressRotated(&c.encoder, rows, static_cast<int>(width), static_cast<int>(height),
                       settings.rotation, c.turned))
    return Outcome::kFailed;  // the text stays the general one

  jpeg_finish_decompress(&c.decoder);
  c.source.Close();
  jpeg_finish_compress(&c.encoder);
  c.output.Close();
  if (!platform::ReplaceFileWith(c.workingPath, c.outputPath)) {
    c.text = FileText(u"Failed to save a new file", fileName);
    return Outcome::kFailed;
  }
  c.outputComplete = true;
  c.image.Free();
  c.workspace.Free();

  // Source size, then the decoded size before any turn.
  c.text = DecimalText(c.decoder.image_width) + u" x " + DecimalText(c.decoder.image_height) +
           u" -> " + DecimalText(width) + u" x " + DecimalText(height);
  return Outcome::kConverted;
}

}  // namespace

bool ProcessImage(char16_t* resultText, const std::u16string& sourcePath,
                  const std::u16string& dstFolder, OutputSettings settings) {
  CopyToBuffer(resultText, kResultTextUnits, kProcessError);
  const std::u16string_view fileName = std::u16string_view(sourcePath).substr(FileNameStart(sourcePath));
  if (!HasJpegExtension(fileName)) {
    CopyToBuffer(resultText, kResultTextUnits, u"UNSUPPORTED FILE");
    return false;
  }

  Conversion c;
  const Outcome outcome = RunConversion(c, sourcePath, fileName, dstFolder, settings);
  if (outcome == Outcome::kLibraryError) {
    c.text = FailureText(c.err.failedInDecoder ? u"decode" : u"encode", fileName,
                         Utf8ToUtf16(c.err.fatalMessage));
  } else if (outcome == Outcome::kConverted && c.err.warned) {
    // A damaged source still converts, but its line says what the library saw.
    c.text += u" (warning: " + Utf8ToUtf16(c.err.firstWarning) + u")";
  }
  CopyToBuffer(resultText, kResultTextUnits, c.text);
  return outcome == Outcome::kConverted;
}

bool CompressRotated(j_compress_ptr encoder, std::uint8_t* const* rows, int width, int height,
                     int rotation, ImageRows& turned) {
  const bool quarter = rotation == kRotateClockwise || rotation == kRotateCounterClockwise;
  const int targetWidth = quarter ? height : width;
  const int targetHeight = quarter ? width : height;
  encoder->image_width = static_cast<JDIMENSION>(targetWidth);
  encoder->image_height = static_cast<JDIMENSION>(targetHeight);

  JSAMPARRAY output = const_cast<JSAMPARRAY>(rows);
  if (rotation != kRotateNone) {
    if (turned.Allocate(static_cast<std::uint32_t>(targetWidth), static_cast<std::uint32_t>(targetHeight),
                        encoder->input_components) != RowAllocation::kAllocated)
      return false;
    RotateRows(rotation, encoder->input_components == 1, turned.rows(), rows, width, height);
    output = turned.rows();
  }
  jpeg_start_compress(encoder, TRUE);
  jpeg_write_scanlines(encoder, output, static_cast<JDIMENSION>(targetHeight));
  turned.Free();
  return true;
}

}  // namespace korvane

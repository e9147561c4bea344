// One source JPEG into one new JPEG in the batch's output folder.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "pipeline/image_rows.h"
#include "pipeline/jpeg_io.h"
#include "settings/output_settings.h"

namespace korvane {

constexpr std::size_t kResultTextUnits = 1000;

// Converts `sourcePath` into `dstFolder` + "\" + its file name. Returns true
// when the output file was written; `resultText` (kResultTextUnits units)
// receives the report line either way. A file that fails leaves no output.
bool ProcessImage(char16_t* resultText, const std::u16string& sourcePath,
                  const std::u16string& dstFolder, OutputSettings settings);

// Writes `rows` (width x height, the encoder's input_components bytes a pixel)
// through `encoder`, turned by `rotation` on the way. `turned` is the caller's
// slot for the turned copy, so that a library error can still free it.
// False when the turned copy could not be had; the encoder is then not started.
bool CompressRotated(j_compress_ptr encoder, std::uint8_t* const* rows, int width, int height,
                     int rotation, ImageRows& turned);

}  // namespace korvane

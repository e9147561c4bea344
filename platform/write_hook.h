// The test hook that makes one file write fail, shared by both OS layers.
#pragma once

namespace korvane::platform {

// True when the hook set by FailOneWriteForTesting says this write is the one
// to fail; counts the write otherwise.
bool WriteMustFail();

}  // namespace korvane::platform

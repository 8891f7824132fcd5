// The texts of the runtime choice and of the download, built from configured messages.
// Pure: the callers read the configuration and put the results on the screen.
#pragma once
#include <cstdint>
#include <string>

namespace qpk {

// The choice dialog's explanation: `message` with its %S filled with the bitness "64", then
// " (<minLabel> <min>, <maxLabel> <max>)" with whichever bound is set. A message that is no
// usable format is shown as it is.
std::wstring choiceExplanation(const std::wstring& message, const std::wstring& minLabel, const std::wstring& min,
                               const std::wstring& maxLabel, const std::wstring& max);

// The status line during a download: `format` filled with megabytes received, megabytes in
// total, percent received and kilobytes per second. False when `format` is unusable.
bool downloadStatus(const std::wstring& format, uint32_t received, uint32_t total, uint32_t elapsedMs,
                    std::wstring& out);

// The bar position (0 to 100) for `received` of `total` bytes, in single precision and
// truncated; `total` is never 0 here (nothing is read for an empty answer).
int downloadPercent(uint32_t received, uint32_t total);

}  // namespace qpk

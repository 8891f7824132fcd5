#include "payload/RuntimeTexts.h"

#include "common/ConfigFormat.h"

namespace qpk {

std::wstring choiceExplanation(const std::wstring& message, const std::wstring& minLabel, const std::wstring& min,
                               const std::wstring& maxLabel, const std::wstring& max) {
    std::wstring text;
    if (!formatConfigured(message, {textArgument(L"64")}, text)) text = message;
    if (!min.empty()) text += L" (" + minLabel + L" " + min;
    if (!max.empty()) text += (min.empty() ? L" (" : L", ") + maxLabel + L" " + max;
    if (!min.empty() || !max.empty()) text += L")";
    return text;
}

bool downloadStatus(const std::wstring& format, uint32_t received, uint32_t total, uint32_t elapsedMs,
                    std::wstring& out) {
    constexpr double kMiB = 1048576.0;
    double percent = total == 0 ? 100.0 : double(received) / double(total) * 100.0;
    // A first block can arrive within the same millisecond.
    double perMs = double(received) / double(elapsedMs == 0 ? 1 : elapsedMs);
    return formatConfigured(format,
                            {numberArgument(received / kMiB), numberArgument(total / kMiB), numberArgument(percent),
                             numberArgument(perMs)},
                            out);
}

int downloadPercent(uint32_t received, uint32_t total) {
    return int(float(received) / float(total) * 100.0f);
}

}  // namespace qpk

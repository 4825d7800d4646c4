#include "bv3/list_editing.h"

#include "bv3/command_registry.h"

#include <algorithm>
#include <cstdint>
#include <ostream>
#include <vector>

namespace bv3::cli {

namespace {

std::vector<std::string_view> linesOf(const std::string& text) {
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find("\r\n", start);
        if (end == std::string::npos) {
            end = text.size();
        }
        lines.emplace_back(text.data() + start, end - start);
        start = end + 2;
    }
    return lines;
}

// The shortest edit script of Myers' difference algorithm, as the lines kept from a and b.
// Gives up (returns false) beyond maxEdits, where the listing would be unreadable anyway.
bool shortestEdit(const std::vector<std::string_view>& a, const std::vector<std::string_view>& b,
                  std::vector<bool>& keptA, std::vector<bool>& keptB, long maxEdits) {
    const long n = static_cast<long>(a.size());
    const long m = static_cast<long>(b.size());
    const long offset = maxEdits + 1;
    std::vector<long> v(static_cast<std::size_t>(2 * offset + 1), 0);
    // Each round keeps only the diagonals it can reach (-d .. d), so the trace grows with the
    // square of the edits, not with the length of the lists.
    std::vector<std::vector<std::int32_t>> trace;
    for (long d = 0; d <= maxEdits; ++d) {
        trace.emplace_back(v.begin() + offset - d, v.begin() + offset + d + 1);
        for (long k = -d; k <= d; k += 2) {
            long x = (k == -d || (k != d && v[offset + k - 1] < v[offset + k + 1])) ? v[offset + k + 1]
                                                                                    : v[offset + k - 1] + 1;
            long y = x - k;
            while (x < n && y < m && a[x] == b[y]) {
                ++x, ++y;
            }
            v[offset + k] = x;
            if (x >= n && y >= m) {
                // Walk back through the trace, marking the diagonal moves as kept lines.
                keptA.assign(a.size(), false);
                keptB.assign(b.size(), false);
                long cx = n, cy = m;
                for (long e = d; e > 0; --e) {
                    const auto& pv = trace[static_cast<std::size_t>(e)];
                    const long ck = cx - cy;
                    const bool down = ck == -e || (ck != e && pv[ck - 1 + e] < pv[ck + 1 + e]);
                    const long pk = down ? ck + 1 : ck - 1;
                    const long px = pv[pk + e];
                    const long py = px - pk;
                    while (cx > (down ? px : px + 1) && cy > (down ? py + 1 : py)) {
                        keptA[--cx] = true;
                        keptB[--cy] = true;
                    }
                    cx = px, cy = py;
                }
                while (cx > 0 && cy > 0) {
                    keptA[--cx] = true;
                    keptB[--cy] = true;
                }
                return true;
            }
        }
    }
    return false;
}

}  // namespace

edit::ChannelList openChannelList(const std::string& path, std::uint8_t modelCode,
                                  std::optional<std::uint8_t> configVariant) {
    return edit::ChannelList::fromFile(path, modelCode, configVariant);
}

void refuseListWithErrors(const edit::ChannelList& list, const std::string& outPath, std::ostream& out) {
    std::size_t errors = 0;
    for (const auto& f : list.findings()) {
        out << outPath << ": " << channeldb::formatFinding(f.finding) << '\n';
        errors += f.finding.severity == channeldb::Severity::Error ? 1 : 0;
    }
    if (errors > 0) {
        throw CommandFailure(outPath + ": not written: the edited list holds " + std::to_string(errors) +
                             (errors == 1 ? " error" : " errors") + " that model " +
                             std::to_string(list.modelCode()) + " cannot represent");
    }
}

void writeChannelList(edit::ChannelList& list, const std::string& outPath, bool asContainer) {
    if (asContainer || list.origin() == edit::ListOrigin::Container) {
        list.saveContainer(outPath);
    } else {
        list.saveQnf(outPath);
    }
}

void printChangedLines(std::ostream& out, const std::string& before, const std::string& after) {
    const auto a = linesOf(before);
    const auto b = linesOf(after);
    // Lines the two share at the start and the end need no search.
    std::size_t head = 0;
    while (head < a.size() && head < b.size() && a[head] == b[head]) {
        ++head;
    }
    std::size_t tail = 0;
    while (tail < a.size() - head && tail < b.size() - head && a[a.size() - 1 - tail] == b[b.size() - 1 - tail]) {
        ++tail;
    }
    const std::vector<std::string_view> midA(a.begin() + static_cast<long>(head), a.end() - static_cast<long>(tail));
    const std::vector<std::string_view> midB(b.begin() + static_cast<long>(head), b.end() - static_cast<long>(tail));
    std::vector<bool> keptA, keptB;
    if (!shortestEdit(midA, midB, keptA, keptB, 2000)) {
        keptA.assign(midA.size(), false);
        keptB.assign(midB.size(), false);
    }
    std::size_t changed = 0;
    for (std::size_t i = 0; i < midA.size(); ++i) {
        if (!keptA[i]) {
            out << "- line " << head + i + 1 << ": " << midA[i] << '\n';
            ++changed;
        }
    }
    for (std::size_t i = 0; i < midB.size(); ++i) {
        if (!keptB[i]) {
            out << "+ line " << head + i + 1 << ": " << midB[i] << '\n';
            ++changed;
        }
    }
    if (changed == 0) {
        out << "no line changes\n";
    }
}

}  // namespace bv3::cli

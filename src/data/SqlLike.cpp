#include "data/SqlLike.h"

#include <QList>
#include <QString>
#include <sqlite3.h>
#include <string>
#include <string_view>

namespace {

std::u32string folded(const char* utf8) {
    const QList<uint> ucs4 = QString::fromUtf8(utf8).toCaseFolded().toUcs4();
    return std::u32string(ucs4.cbegin(), ucs4.cend());
}

// One pass with a step back to the last '%': the parts between two '%' are of fixed
// length, so taking the earliest place that fits each of them never misses a match,
// and a long text with a long pattern costs at most their product, never more.
bool matches(std::u32string_view p, std::u32string_view t, char32_t esc) {
    constexpr size_t none = std::u32string_view::npos;
    size_t pi = 0, ti = 0, afterPercent = none, resumeAt = 0;
    while (ti < t.size()) {
        if (pi < p.size()) {
            const char32_t c = p[pi];
            if (esc != 0 && c == esc) {
                if (pi + 1 < p.size() && p[pi + 1] == t[ti]) {
                    pi += 2;
                    ++ti;
                    continue;
                }
            } else if (c == U'%') {
                afterPercent = ++pi;
                resumeAt = ti;
                continue;
            } else if (c == U'_' || c == t[ti]) {
                ++pi;
                ++ti;
                continue;
            }
        }
        if (afterPercent == none)
            return false;
        pi = afterPercent;
        ti = ++resumeAt;
    }
    while (pi < p.size() && p[pi] == U'%')
        ++pi;
    return pi == p.size();
}

// The pattern folded once per statement, not once per row.
struct Pattern {
    std::u32string text;
};

void like(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
    const auto* pattern = reinterpret_cast<const char*>(sqlite3_value_text(argv[0]));
    const auto* text = reinterpret_cast<const char*>(sqlite3_value_text(argv[1]));
    char32_t esc = 0;
    if (argc == 3) {
        const auto* e = reinterpret_cast<const char*>(sqlite3_value_text(argv[2]));
        const std::u32string escape = e ? folded(e) : std::u32string();
        if (escape.size() != 1) {
            sqlite3_result_error(ctx, "ESCAPE expression must be a single character", -1);
            return;
        }
        esc = escape.front();
    }
    if (!pattern || !text)
        return; // NULL, as the engine's own gives
    if (sqlite3_value_bytes(argv[0]) >
        sqlite3_limit(sqlite3_context_db_handle(ctx), SQLITE_LIMIT_LIKE_PATTERN_LENGTH, -1)) {
        sqlite3_result_error(ctx, "LIKE or GLOB pattern too complex", -1);
        return;
    }
    auto* cached = static_cast<Pattern*>(sqlite3_get_auxdata(ctx, 0));
    if (!cached) {
        cached = new Pattern{folded(pattern)};
        sqlite3_set_auxdata(ctx, 0, cached, [](void* p) { delete static_cast<Pattern*>(p); });
        // The engine may have dropped it at once; then it is gone and read again next row.
        cached = static_cast<Pattern*>(sqlite3_get_auxdata(ctx, 0));
    }
    const std::u32string own = cached ? std::u32string() : folded(pattern);
    sqlite3_result_int(ctx, matches(cached ? cached->text : own, folded(text), esc) ? 1 : 0);
}

} // namespace

void RegisterLike(sqlite3* db) {
    const int flags = SQLITE_UTF8 | SQLITE_DETERMINISTIC | SQLITE_INNOCUOUS;
    sqlite3_create_function_v2(db, "like", 2, flags, nullptr, &like, nullptr, nullptr, nullptr);
    sqlite3_create_function_v2(db, "like", 3, flags, nullptr, &like, nullptr, nullptr, nullptr);
}

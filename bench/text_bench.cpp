// The vessel check cuts its block out of a schedule page and converts it from
// UTF-8 to code page 936. These benchmarks run both steps on a 1 MiB page
// beside the bare library calls (memmem, iconv) that do the same work, so the
// ratios show what the Windows-exact rules cost.
#include <benchmark/benchmark.h>
#include <iconv.h>

#include <cstring>
#include <memory>
#include <string>

#include "text/CodePageText.h"
#include "text/TextSearch.h"

namespace {

const std::string leftMarker = "width:1200px;margin:0 auto";
const std::string rightMarker = "<br> <br>";

// Mostly ASCII HTML with UTF-8 Chinese in every row; the block sits near the end.
const std::string& page() {
    static const std::string text = [] {
        const std::string row =
            "<tr><td class=\"vessel\">\xE4\xB8\xAD\xE8\xBF\x9C\xE6\xB5\xB7\xE8\xBF\x90 COSCO "
            "STAR</td><td>2026-12-11 08:00</td><td>\xE4\xB8\x8A\xE6\xB5\xB7 "
            "\xE6\xB4\x8B\xE5\xB1\xB1\xE6\xB8\xAF</td><td>V.012E</td></tr>\n";
        std::string html = "<html><head><meta charset=\"utf-8\"></head><body><table>\n";
        while (html.size() < (1u << 20) - 8192) {
            html += row;
        }
        html += "<div style=\"" + leftMarker + "\">";
        for (int i = 0; i < 16; ++i) {
            html += row;
        }
        html += rightMarker + "</div></table></body></html>\n";
        while (html.size() < (1u << 20)) {
            html += ' ';
        }
        return html;
    }();
    return text;
}

void textBetweenPage(benchmark::State& state) {
    const std::string& text = page();
    for (auto _ : state) {
        benchmark::DoNotOptimize(navoket::textBetween(text, leftMarker, rightMarker));
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}
BENCHMARK(textBetweenPage);

void memmemPage(benchmark::State& state) {
    const std::string& text = page();
    for (auto _ : state) {
        const void* left = memmem(text.data(), text.size(), leftMarker.data(), leftMarker.size());
        const auto from = static_cast<const char*>(left) + leftMarker.size();
        const void* right = memmem(from, static_cast<std::size_t>(text.data() + text.size() - from),
                                   rightMarker.data(), rightMarker.size());
        std::string block(from, static_cast<const char*>(right));
        benchmark::DoNotOptimize(block);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * page().size()));
}
BENCHMARK(memmemPage);

void utf8ToAnsiPage(benchmark::State& state) {
    const std::string& text = page();
    for (auto _ : state) {
        benchmark::DoNotOptimize(navoket::utf8ToAnsi(text));
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}
BENCHMARK(utf8ToAnsiPage);

struct IconvClose {
    void operator()(iconv_t handle) const { iconv_close(handle); }
};

void iconvPage(benchmark::State& state) {
    const std::string& text = page();
    const std::unique_ptr<void, IconvClose> handle(iconv_open("GBK", "UTF-8"));
    std::string out(text.size(), '\0');
    for (auto _ : state) {
        iconv(handle.get(), nullptr, nullptr, nullptr, nullptr);
        auto* in = const_cast<char*>(text.data());
        std::size_t inLeft = text.size();
        char* outPtr = out.data();
        std::size_t outLeft = out.size();
        iconv(handle.get(), &in, &inLeft, &outPtr, &outLeft);
        benchmark::DoNotOptimize(std::string(out.data(), out.size() - outLeft));
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}
BENCHMARK(iconvPage);

}  // namespace

BENCHMARK_MAIN();

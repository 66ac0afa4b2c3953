// What every measure of the benchmark shares: how long to measure, how a
// figure is summarised and printed, and a temporary folder.
#pragma once

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace brisendale::bench {

struct BenchOptions {
    bool shortRun = false;       // one run of each measure: `make test` runs it so it cannot rot
    int processRuns = 9;         // runs of each program, interleaved
    int clockRuns = 20;          // retrievals for the clock's error
    int replyDeadlineMs = 5000;  // the window's deadline while it waits on a silent peer
    std::string logonProgram;    // the program whose logon run is measured
};

// Median and range of a non-empty set of figures.
struct Summary {
    double median = 0, min = 0, max = 0;
};

inline Summary Summarise(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return {values[values.size() / 2], values.front(), values.back()};
}

// One row of the printed Markdown table.
inline void Row(const std::string& what, const std::string& figure, const std::string& note) {
    std::printf("| %s | %s | %s |\n", what.c_str(), figure.c_str(), note.c_str());
    std::fflush(stdout);
}

template <class... Numbers>
std::string Format(const char* format, Numbers... numbers) {
    char text[256];
    std::snprintf(text, sizeof text, format, numbers...);
    return text;
}

// A measure that could not run in a way that means the program is broken:
// said on standard error, and the benchmark ends with status 1.
inline bool Broken(const std::string& what) {
    std::fprintf(stderr, "brisendale_bench: %s\n", what.c_str());
    return false;
}

// A fresh folder under the temporary folder, removed with this object.
class TempFolder {
  public:
    TempFolder() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "brisendale-bench-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr)
            std::abort();
        path_ = pattern;
    }
    ~TempFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& Path() const { return path_; }

  private:
    std::filesystem::path path_;
};

}  // namespace brisendale::bench

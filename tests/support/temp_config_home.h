// Points XDG_CONFIG_HOME at a fresh folder while it lives: no test touches the real ~/.config.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>

namespace brisendale::testing {

class TempConfigHome {
  public:
    TempConfigHome() {
        std::string pattern = std::filesystem::temp_directory_path() / "brisendale-test-XXXXXX";
        if (mkdtemp(pattern.data()) == nullptr)
            std::abort();
        path_ = pattern;
        if (const char* old = std::getenv("XDG_CONFIG_HOME"))
            previous_ = old;
        setenv("XDG_CONFIG_HOME", path_.c_str(), 1);
    }
    ~TempConfigHome() {
        previous_ ? setenv("XDG_CONFIG_HOME", previous_->c_str(), 1) : unsetenv("XDG_CONFIG_HOME");
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    TempConfigHome(const TempConfigHome&) = delete;

    const std::filesystem::path& Path() const { return path_; }
    std::filesystem::path Store() const { return path_ / "brisendale" / "registry.sqlite3"; }
    std::filesystem::path Autostart(const std::string& name = "Quorvel") const {
        return path_ / "autostart" / (name + ".desktop");
    }

  private:
    std::filesystem::path path_;
    std::optional<std::string> previous_;
};

inline std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteFile(const std::filesystem::path& path, const std::string& text) {
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << text;
}

}  // namespace brisendale::testing

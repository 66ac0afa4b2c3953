// A private, throw-away XDG_CONFIG_HOME for fuzz targets that reach the
// settings store, so that no input ever touches the real ~/.config.
#pragma once

#include <unistd.h>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace brisendale::fuzzing {

class ScratchConfigHome {
  public:
    // Made once per process, in memory (/dev/shm) where there is one: the
    // store syncs every write, and a disk would make each input slow.
    ScratchConfigHome() {
        const std::filesystem::path base =
            access("/dev/shm", W_OK) == 0 ? "/dev/shm" : std::filesystem::temp_directory_path();
        std::string pattern = (base / "brisendale-fuzz-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr)
            std::abort();
        path_ = pattern;
        setenv("XDG_CONFIG_HOME", path_.c_str(), 1);
        setenv("HOME", path_.c_str(), 1);
    }
    ~ScratchConfigHome() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    ScratchConfigHome(const ScratchConfigHome&) = delete;
    ScratchConfigHome& operator=(const ScratchConfigHome&) = delete;

    static ScratchConfigHome& Instance() {
        static ScratchConfigHome home;
        return home;
    }

    // Empties the folder, so each input starts from no store at all.
    void Reset() {
        std::error_code ignored;
        for (const auto& entry : std::filesystem::directory_iterator(path_, ignored))
            std::filesystem::remove_all(entry.path(), ignored);
    }

    const std::filesystem::path& Path() const { return path_; }

  private:
    std::filesystem::path path_;
};

}  // namespace brisendale::fuzzing

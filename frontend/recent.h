// Recent files: the cartridges (or tapes) loaded last, most recent first,
// for a Recent menu. Kept in the settings (settings.h).
//
// Paths are kept absolute and in plain form ("a/../b" as "b"), so that the
// same file loaded twice under two spellings is one entry, and the menu
// still finds it after the program was started from another directory.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

class recent_list {
public:
    static constexpr size_t DEFAULT_MAX = 10;

    explicit recent_list(size_t max = DEFAULT_MAX) : max_(max) {}

    // The file was loaded: it goes to the front (moved there if listed),
    // and the oldest falls off beyond the maximum. An empty path is ignored.
    void add(const std::string &path);
    // The file is gone or no longer loads: out of the list.
    void remove(const std::string &path);
    void clear() { items_.clear(); }

    const std::vector<std::string> &items() const { return items_; }
    size_t max() const { return max_; }

    bool operator==(const recent_list &other) const = default;

private:
    size_t max_;
    std::vector<std::string> items_;
};

// `path` absolute (from the current directory) and in plain form.
std::string recent_path_form(const std::string &path);

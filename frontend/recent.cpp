#include "recent.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

std::string recent_path_form(const std::string &path)
{
    if (path.empty())
        return path;
    std::error_code error;
    std::filesystem::path absolute = std::filesystem::absolute(path, error);
    if (error)
        return path;  // no current directory to go from: kept as given
    return absolute.lexically_normal().string();
}

void recent_list::add(const std::string &path)
{
    if (path.empty() || max_ == 0)
        return;
    std::string p = recent_path_form(path);
    items_.erase(std::remove(items_.begin(), items_.end(), p), items_.end());
    items_.insert(items_.begin(), p);
    if (items_.size() > max_)
        items_.resize(max_);
}

void recent_list::remove(const std::string &path)
{
    std::string p = recent_path_form(path);
    items_.erase(std::remove(items_.begin(), items_.end(), p), items_.end());
}

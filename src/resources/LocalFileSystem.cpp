#include "resources/FileSystem.h"
#include "resources/LocalFileNative.h"

#include <utility>

namespace {

WideString fullPath(const WideString& root, const char* path) {
    WideString relative;
    utf8ToWide(path, relative);
    WideString full(root);
    const char16_t slash = u'/';
    full.append(&slash, &slash + 1);
    full.append(relative.begin(), relative.end());
    // No other normalisation: "." and ".." pass through, separators are not collapsed.
    for (char16_t* unit = full.data(); unit != full.data() + full.length(); ++unit)
        if (*unit == u'/' || *unit == u'\\')
            *unit = localfile::separator;
    return full;
}

} // namespace

LocalFileSystem::LocalFileSystem() {
    localfile::enterExecutableDirectory();
}

void LocalFileSystem::addRoot(const char* name) {
    WideString root;
    utf8ToWide(name, root);
    roots.push_back(std::move(root));
}

bool LocalFileSystem::exists(const char* path) {
    for (const WideString& root : roots)
        if (localfile::isPresent(fullPath(root, path)))
            return true;
    return false;
}

bool LocalFileSystem::open(const char* path, IntrusivePointer<File>& out) {
    for (auto root = roots.rbegin(); root != roots.rend(); ++root) {
        IntrusivePointer<File> file = localfile::openForReading(fullPath(*root, path));
        if (file) {
            out = std::move(file);
            return true;
        }
    }
    return false;
}

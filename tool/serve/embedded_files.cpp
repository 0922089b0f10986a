#include "serve/embedded_files.h"

namespace kelvane::tool::serve {

const EmbeddedFile* FindEmbeddedFile(std::string_view path) {
    const std::string_view wanted = path == "/" ? std::string_view("/index.html") : path;
    for (const EmbeddedFile& file : EmbeddedFiles()) {
        if (file.path == wanted) {
            return &file;
        }
    }
    return nullptr;
}

}  // namespace kelvane::tool::serve

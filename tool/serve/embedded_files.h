// The page's files (HTML, CSS, JavaScript, the chart library), built into
// the program from tool/serve/page/ and third_party/uplot/ by
// cmake/EmbedFiles.cmake, each as it is and gzip-compressed. No other file
// is ever served.
#pragma once

#include <string_view>
#include <vector>

namespace kelvane::tool::serve {

struct EmbeddedFile {
    std::string_view path;  // "/index.html", "/app.js", ...
    std::string_view contentType;
    std::string_view data;
    std::string_view gzipped;
};

const std::vector<EmbeddedFile>& EmbeddedFiles();

// The file served at path ("/" is "/index.html"), or null.
const EmbeddedFile* FindEmbeddedFile(std::string_view path);

}  // namespace kelvane::tool::serve

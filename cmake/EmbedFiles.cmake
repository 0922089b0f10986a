# Writes a C++ source that holds files as byte arrays, each as it is and
# gzip-compressed (for tool/serve/embedded_files.h). Run as a script at
# build time, on the build machine:
#   cmake -DOUTPUT=<file.cpp> -DSCRATCH=<folder> "-DENTRIES=/a.html=<path>|/b.js=<path>" -P EmbedFiles.cmake
# The content type comes from the file name's extension.
cmake_minimum_required(VERSION 3.18)

function(_content_type name out)
  if(name MATCHES "\\.html$")
    set(type "text/html; charset=utf-8")
  elseif(name MATCHES "\\.css$")
    set(type "text/css; charset=utf-8")
  elseif(name MATCHES "\\.js$")
    set(type "text/javascript; charset=utf-8")
  elseif(name MATCHES "\\.svg$")
    set(type "image/svg+xml")
  else()
    message(FATAL_ERROR "EmbedFiles: no content type for ${name}")
  endif()
  set(${out} "${type}" PARENT_SCOPE)
endfunction()

# The bytes of a file as a C array initialiser.
function(_bytes file out)
  file(READ "${file}" hex HEX)
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "'\\\\x\\1'," hex "${hex}")
  string(REGEX REPLACE "((('\\\\x[0-9a-f][0-9a-f]',){24}))" "\\1\n" hex "${hex}")
  set(${out} "${hex}" PARENT_SCOPE)
endfunction()

string(REPLACE "|" ";" ENTRIES "${ENTRIES}")
file(MAKE_DIRECTORY "${SCRATCH}")
set(arrays "")
set(table "")
set(n 0)
foreach(entry IN LISTS ENTRIES)
  string(FIND "${entry}" "=" at)
  string(SUBSTRING "${entry}" 0 ${at} url)
  math(EXPR from "${at} + 1")
  string(SUBSTRING "${entry}" ${from} -1 path)
  _content_type("${url}" type)
  set(gz "${SCRATCH}/${n}.gz")
  file(ARCHIVE_CREATE OUTPUT "${gz}" PATHS "${path}" FORMAT raw COMPRESSION GZip)
  _bytes("${path}" plain)
  _bytes("${gz}" packed)
  file(SIZE "${path}" plain_size)
  file(SIZE "${gz}" packed_size)
  string(APPEND arrays "const char kFile${n}[] = {\n${plain}'\\0'};\nconst char kGzip${n}[] = {\n${packed}'\\0'};\n")
  string(APPEND table "        {\"${url}\", \"${type}\", {kFile${n}, ${plain_size}}, {kGzip${n}, ${packed_size}}},\n")
  math(EXPR n "${n} + 1")
endforeach()

file(WRITE "${OUTPUT}.new"
"// Written by cmake/EmbedFiles.cmake at build time; do not edit.
#include \"serve/embedded_files.h\"

namespace kelvane::tool::serve {
namespace {

${arrays}
}  // namespace

const std::vector<EmbeddedFile>& EmbeddedFiles() {
    static const std::vector<EmbeddedFile> files{
${table}    };
    return files;
}

}  // namespace kelvane::tool::serve
")
# Only a changed source is compiled again.
execute_process(COMMAND ${CMAKE_COMMAND} -E copy_if_different "${OUTPUT}.new" "${OUTPUT}")
file(REMOVE "${OUTPUT}.new")

// The fuzzer's bytes as a file, for the readers that work on files as they do for the program:
// one file per process, rewritten for every input.
#pragma once

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

// The path of the file that now holds the bytes; "" when it cannot be written.
inline std::string WriteFuzzInputFile(const std::uint8_t* data, std::size_t size,
                                      const std::string& stem, const std::string& extension) {
    const std::string path = "/tmp/" + stem + "_" + std::to_string(::getpid()) + extension;
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        return "";
    std::fwrite(data, 1, size, file);
    std::fclose(file);
    return path;
}

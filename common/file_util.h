#pragma once
// Small file helpers shared by the stored files: whole-file reads, atomic
// replacement, and the conversion between path bytes and display text.
#include <sys/types.h>
#include <QString>
#include <cstddef>
#include <functional>
#include <string>

// File names on Linux are bytes; the program keeps them as bytes and only
// converts them to text for display.
QString PathToText(const std::string& path);
std::string TextToPath(const QString& text);

// The absolute, clean form of `path` (no ".", "..", doubled or closing "/"),
// worked out on its bytes as QDir::cleanPath would on text: a relative path
// is taken from the current folder. Links are not followed.
std::string AbsolutePath(const std::string& path);

// Reads the whole of a regular file; throws AppError (PathFileAccess for a
// folder, a named pipe or a device).
std::string ReadWholeFile(const std::string& path);

// Replaces the file with the given bytes: writes a temporary file in the same
// folder, flushes it and renames it over the old one, so a failure at any
// point leaves the old file whole. When `path` is a symbolic link, the file it
// leads to is replaced so, and the link stays. Throws AppError.
void WriteFileAtomically(const std::string& path, const std::string& bytes);

// For tests: replaces the write(2) call used by WriteFileAtomically.
using WriteFunction = std::function<ssize_t(int fd, const void* data, size_t size)>;
void SetWriteFunctionForTesting(WriteFunction fn);  // empty restores write(2)

// True when path names an existing regular file (not a folder).
bool IsRegularFile(const std::string& path);

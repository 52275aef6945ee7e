// A folder's files as one value, for tests that compare what a run leaves
// with what it should leave, on the in-memory Env or on a real disk.
#pragma once

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace testing_support {

// Every file, by full path (folder, separator, name), with its bytes.
using Folder = std::map<std::string, std::string>;

// Compares file by file and names each file that is missing, left over or
// different (with both sizes and the first byte that differs), instead of
// printing whole files.
::testing::AssertionResult same_files(const Folder& expected, const Folder& actual);

// The files of a real folder (not its subfolders).
Folder read_folder(const std::string& folder);
// Makes `files` the only files of a real folder.
void put_folder(const std::string& folder, const Folder& files);

// For each file of `new_bytes`: bytes that differ from every other file's
// and are longer than its new bytes, so that a file written over in place
// without being cut would show the old tail.
Folder old_versions(const Folder& new_bytes);

}  // namespace testing_support

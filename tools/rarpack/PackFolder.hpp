// Packs a folder's tree into an archive, and names volumes.
#pragma once

#include <filesystem>
#include <string>

#include "RarWriter.hpp"

namespace rarpack {

// "out.rar" -> "out.part3.rar" for volume index 2; the name itself when
// the archive is not split.
std::filesystem::path VolumePath(const std::filesystem::path& archive, unsigned index, bool split);

// Adds every folder and file under `folder`, sorted by name, folders
// before their contents. Returns the number of entries.
size_t PackFolder(const std::filesystem::path& folder, Writer& writer);

// Writes the archive (or its volumes); removes what it wrote on failure.
// Returns the number of volume files.
unsigned PackFolderToFile(const std::filesystem::path& folder, const std::filesystem::path& archive,
                          const WriterOptions& options);

}  // namespace rarpack

// What one install put on disk: the paths it created, which the rollback
// removes and nothing else, and the names it installed under the target
// folder, which it leaves there as the list the removal program reads.
#pragma once

#include <map>
#include <vector>

#include "System.hpp"

class TInstallRecord {
 public:
  // Starts the record of an extraction into the folder: notes the folder and
  // each of its parents that does not exist yet, since the extraction
  // creates them.
  void Begin(const AnsiString& target);

  // Before an entry is extracted: notes the folders on its way and the entry
  // itself that do not exist yet. An entry that replaces an existing file
  // is the product's from then on, so it is listed, though not created. A
  // name that would leave the target is not noted; the library refuses it.
  void NoteEntry(const AnsiString& relativeName, bool isFolder);

  // Writes the list of installed names into the target folder, after the
  // names of a list already there (an earlier install into the same
  // folder). False when it cannot be written completely.
  bool WriteList();

  // Absolute paths, outermost and oldest first: the rollback walks them
  // backwards, files before the folders that hold them.
  const std::vector<AnsiString>& CreatedPaths() const { return created_; }
  // Names relative to the target folder, folders with a trailing "\".
  const std::vector<AnsiString>& InstalledNames() const { return installed_; }
  const AnsiString& Target() const { return target_; }

 private:
  // Replaced: a file that was there and that the install wrote over.
  enum class TOrigin { Existed, Created, Replaced };
  // Looks a path up once; what this install created is known without asking.
  TOrigin OriginOf(const AnsiString& path, bool parentCreated);
  void NoteCreated(const AnsiString& path, const AnsiString& relative, bool isFolder);

  AnsiString target_;  // without a trailing backslash
  std::vector<AnsiString> created_;
  std::vector<AnsiString> installed_;
  std::map<AnsiString, TOrigin> known_;
};

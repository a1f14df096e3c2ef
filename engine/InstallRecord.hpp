// What one install put on disk: the paths it created, which the rollback
// removes and nothing else, the files it moved aside to install over them,
// which the rollback puts back, and the names it installed under the target
// folder, which it leaves there as the list the removal program reads.
#pragma once

#include <map>
#include <vector>

#include "System.hpp"
#include "WinApi.hpp"

class TInstallRecord {
 public:
  // Starts the record of an extraction into the folder: notes the folder and
  // each of its parents that does not exist yet, since the extraction
  // creates them. False when the folder is a link or junction: nothing may
  // be written through it. When the product's registration names this
  // folder (an earlier install), the list already there is taken up now,
  // before the extraction; any other list is not the product's and is not
  // merged.
  bool Begin(const AnsiString& target, const AnsiString& registeredFolder = AnsiString());

  // Before an entry is extracted: notes the folders on its way and the entry
  // itself that do not exist yet. A file already there under the entry's
  // name is never written over: it is moved aside to a backup name beside
  // it, which the rollback and the removal program rename back. False, and
  // the entry must not be extracted, when a folder on its way or the file
  // is a link or junction, or the file cannot be moved aside. A name that
  // would leave the target is not noted; the library refuses it.
  bool NoteEntry(const AnsiString& relativeName, bool isFolder);

  // Writes the list of installed names into the target folder, after the
  // names of the earlier install's list taken up by Begin. It is written to
  // a new file that then replaces the list. False when it cannot be written
  // completely; an earlier list then stays as it was.
  bool WriteList();

  // Absolute paths, outermost and oldest first: the rollback walks them
  // backwards, files before the folders that hold them. A file installed
  // over one that was there is noted as "path|backup path".
  const std::vector<AnsiString>& CreatedPaths() const { return created_; }
  // Names relative to the target folder, folders with a trailing "\", a
  // file installed over one that was there as "name|backup name".
  const std::vector<AnsiString>& InstalledNames() const { return installed_; }
  const AnsiString& Target() const { return target_; }

 private:
  // Replaced: a file that was there and that the install moved aside.
  enum class TOrigin { Existed, Created, Replaced };
  struct TKnown {
    TOrigin Origin;
    DWORD Attributes;  // as looked up, for what existed
  };
  // Looks a path up once; what this install created is known without asking.
  const TKnown& Look(const AnsiString& path, bool parentCreated);
  void NoteCreated(const AnsiString& path, const AnsiString& relative, bool isFolder);
  bool MoveAside(const AnsiString& path, const AnsiString& relative);

  AnsiString target_;  // without a trailing backslash
  std::vector<AnsiString> created_;
  std::vector<AnsiString> installed_;
  std::vector<std::string> earlier_;  // the earlier install's list, UTF-8
  bool ownList_ = false;  // a list in the target is this product's for this folder
  std::map<AnsiString, TKnown> known_;
};

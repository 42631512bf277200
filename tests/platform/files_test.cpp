#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "platform/files.h"
#include "tests/support/fixtures.h"

using namespace platform;
using namespace std::string_literals;
using fixtures::Listing;
using fixtures::RandomBytes;
using fixtures::fs::path;
namespace fs = fixtures::fs;

namespace {

std::vector<String> Names(const Ref<FolderItem>& folder) {
  std::vector<String> names;
  for (std::int64_t i = 1; i <= folder->Count(); ++i) names.push_back(folder->Item(i)->Name());
  return names;
}

// ---- Entries ------------------------------------------------------------------------------

TEST(FolderItem, EntriesInByteOrderWithHiddenOnes) {
  fixtures::TempDir dir;
  for (const char* name : {"b", "B", "a", ".hidden", "é", "Z", "10", "9", "_x"}) fixtures::WriteFile(dir / name, "");
  fs::create_directory(dir / "dossier");
  fs::create_directory(dir / ".cache");
  const Ref<FolderItem> folder = GetFolderItem(dir.str(), 3);
  EXPECT_EQ(Names(folder),
            (std::vector<String>{".cache", ".hidden", "10", "9", "B", "Z", "_x", "a", "b", "dossier", "é"}));
}

TEST(FolderItem, EmptyOrMissingFolderHasNoEntries) {
  fixtures::TempDir dir;
  EXPECT_EQ(GetFolderItem(dir.str(), 3)->Count(), 0);
  EXPECT_EQ(GetFolderItem((dir / "absent").string(), 3)->Count(), 0);
  fixtures::WriteFile(dir / "file", "x");
  EXPECT_EQ(GetFolderItem((dir / "file").string(), 3)->Count(), 0);
}

TEST(FolderItem, ItemOutsideOneToCountIsNil) {
  fixtures::TempDir dir;
  fixtures::WriteFile(dir / "a", "");
  fixtures::WriteFile(dir / "b", "");
  const Ref<FolderItem> folder = GetFolderItem(dir.str(), 3);
  for (std::int64_t i : {-1, 0, 3, 1000}) EXPECT_EQ(folder->Item(i), nullptr) << i;
  EXPECT_NE(folder->Item(1), nullptr);
  EXPECT_NE(folder->Item(2), nullptr);
}

TEST(FolderItem, IndexesStayTheSameWhenTheFolderChanges) {
  // Entries are read at the first Count or at the first Item; both must freeze them.
  for (bool countFirst : {true, false}) {
    fixtures::TempDir dir;
    for (const char* name : {"b", "d", "f"}) fixtures::WriteFile(dir / name, "");
    const Ref<FolderItem> folder = GetFolderItem(dir.str(), 3);
    const std::int64_t count = countFirst ? folder->Count() : (folder->Item(1), folder->Count());
    ASSERT_EQ(count, 3);
    fs::remove(dir / "b");
    fixtures::WriteFile(dir / "a", "");
    fixtures::WriteFile(dir / "c", "");
    EXPECT_EQ(folder->Count(), 3);
    EXPECT_EQ(Names(folder), (std::vector<String>{"b", "d", "f"})) << countFirst;
    EXPECT_EQ(folder->Item(1), folder->Item(1));  // the very same object
    EXPECT_FALSE(folder->Item(1)->Exists());
    // A new item for the same path sees the folder as it is now.
    EXPECT_EQ(Names(GetFolderItem(dir.str(), 3)), (std::vector<String>{"a", "c", "d", "f"}));
  }
}

TEST(FolderItem, NameAndNativePath) {
  fixtures::TempDir dir;
  fs::create_directory(dir / "Mes bases");
  fixtures::WriteFile(dir / "Mes bases" / "carnet.sqlite", "");
  const String base = (dir / "Mes bases").string();
  for (const String& given : {base, base + "/", base + "//"}) {
    const Ref<FolderItem> folder = GetFolderItem(given, 3);
    EXPECT_EQ(folder->NativePath(), base) << given;
    EXPECT_EQ(folder->Name(), "Mes bases") << given;
    EXPECT_TRUE(folder->Directory());
    const Ref<FolderItem> file = folder->Item(1);
    EXPECT_EQ(file->Name(), "carnet.sqlite");
    EXPECT_EQ(file->NativePath(), base + "/carnet.sqlite");
    EXPECT_FALSE(file->Directory());
  }
  EXPECT_EQ(GetFolderItem("/", 3)->NativePath(), "/");
  EXPECT_NE(GetFolderItem("/", 3)->Count(), 0);
  EXPECT_EQ(GetFolderItem("/", 3)->Item(1)->NativePath().rfind("//", 0), String::npos);
}

TEST(FolderItem, ExistsAndDirectory) {
  fixtures::TempDir dir;
  fixtures::WriteFile(dir / "file", "x");
  fs::create_directory(dir / "folder");
  fs::create_symlink(dir / "folder", dir / "link-to-folder");
  fs::create_symlink(dir / "file", dir / "link-to-file");
  fs::create_symlink(dir / "nowhere", dir / "dangling");
  ASSERT_EQ(::mkfifo((dir / "pipe").c_str(), 0600), 0);
  struct Case {
    const char* name;
    bool exists, directory;
  };
  const Case cases[] = {{"file", true, false},          {"folder", true, true},        {"link-to-folder", true, true},
                        {"link-to-file", true, false},  {"dangling", true, false},     {"pipe", true, false},
                        {"absent", false, false}};
  for (const auto& c : cases) {
    const Ref<FolderItem> item = GetFolderItem((dir / c.name).string(), 3);
    EXPECT_EQ(item->Exists(), c.exists) << c.name;
    EXPECT_EQ(item->Directory(), c.directory) << c.name;
  }
  // The same answers for the entries that a folder lists.
  const Ref<FolderItem> folder = GetFolderItem(dir.str(), 3);
  ASSERT_EQ(folder->Count(), 6);
  for (std::int64_t i = 1; i <= folder->Count(); ++i) {
    const Ref<FolderItem> item = folder->Item(i);
    EXPECT_TRUE(item->Exists()) << item->Name();
    EXPECT_EQ(item->Directory(), item->Name() == "folder" || item->Name() == "link-to-folder") << item->Name();
  }
}

// An entry that its folder lists is there, even where the system will not look at it: in a
// folder that may be listed but not entered, or at a path longer than the system takes. Only
// what leads nowhere is missing.
TEST(FolderItem, AnEntryThatCannotBeLookedAtExists) {
  fixtures::TempDir dir;
  fs::create_directory(dir / "ferme");
  fixtures::WriteFile(dir / "ferme" / "a.sqlite", "x");
  fs::create_directory(dir / "ferme" / "sous");
  ::chmod((dir / "ferme").c_str(), 0644);
  {
    fixtures::Unprivileged nobody(dir.path());
    const Ref<FolderItem> closed = GetFolderItem((dir / "ferme").string(), 3);
    ASSERT_EQ(Names(closed), (std::vector<String>{"a.sqlite", "sous"}));
    for (std::int64_t i = 1; i <= closed->Count(); ++i) {
      EXPECT_TRUE(closed->Item(i)->Exists()) << closed->Item(i)->Name();
      EXPECT_TRUE(GetFolderItem(closed->Item(i)->NativePath(), 3)->Exists()) << closed->Item(i)->Name();
    }
    EXPECT_FALSE(GetFolderItem((dir / "absent" / "a.sqlite").string(), 3)->Exists());
  }

  // A folder whose path fits, holding a file whose path does not.
  path folder = dir.path();
  while (folder.string().size() + 201 <= 4050) folder /= String(200, 'd');
  fs::create_directories(folder);
  const String name(4100 - folder.string().size(), 'b');
  const int fd = ::open(folder.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
  ASSERT_GE(fd, 0);
  const int file = ::openat(fd, name.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
  ASSERT_GE(file, 0) << std::strerror(errno);
  ::close(file);
  const Ref<FolderItem> item = GetFolderItem(folder.string() + "/" + name, 3);
  EXPECT_TRUE(item->Exists());
  ASSERT_EQ(::unlinkat(fd, name.c_str(), 0), 0);
  EXPECT_FALSE(item->Exists());  // gone: its folder says so
  ::close(fd);
}

// A walk holds the item of the entry it is at, not the items of those it has been through.
TEST(FolderItem, OnlyTheItemLastGivenIsKept) {
  fixtures::TempDir dir;
  for (const char* name : {"a", "b"}) fixtures::WriteFile(dir / name, "");
  const Ref<FolderItem> folder = GetFolderItem(dir.str(), 3);
  WeakRef<FolderItem> first(folder->Item(1).get());
  EXPECT_EQ(folder->Item(1).get(), first.get());  // asked again: the same object
  EXPECT_EQ(folder->Item(2)->Name(), "b");
  EXPECT_EQ(first.get(), nullptr);
  EXPECT_EQ(folder->Item(1)->Name(), "a");  // made again as it was
}

// ---- Links to files --------------------------------------------------------------------------

TEST(PathBehindLinks, FollowsTheLastComponentToTheFileItself) {
  fixtures::TempDir dir;
  fs::create_directories(dir / "ailleurs" / "bas");
  fixtures::WriteFile(dir / "ailleurs" / "base.sqlite", "");
  fixtures::WriteFile(dir / "fichier", "");
  fs::create_symlink(dir / "ailleurs" / "base.sqlite", dir / "absolu");
  fs::create_symlink("ailleurs/base.sqlite", dir / "relatif");
  fs::create_symlink("relatif", dir / "lien-de-lien");
  fs::create_symlink("../base.sqlite", dir / "ailleurs" / "bas" / "remonte");
  fs::create_directory_symlink(dir / "ailleurs", dir / "dossier-lie");
  fs::create_symlink("absent", dir / "pendant");
  fs::create_symlink("boucle", dir / "boucle");
  const String base = dir.str();
  struct Case {
    const char* path;
    String behind;  // empty when there is none
    int error;
  };
  const Case cases[] = {
      {"fichier", base + "/fichier", 0},
      {"absolu", base + "/ailleurs/base.sqlite", 0},
      {"relatif", base + "/ailleurs/base.sqlite", 0},
      {"lien-de-lien", base + "/ailleurs/base.sqlite", 0},
      {"ailleurs/bas/remonte", base + "/ailleurs/bas/../base.sqlite", 0},
      {"dossier-lie/base.sqlite", base + "/dossier-lie/base.sqlite", 0},  // a folder on the way is the system's
      {"absent", "", ENOENT},
      {"pendant", "", ENOENT},
      {"boucle", "", ELOOP},
  };
  for (const auto& c : cases) {
    int error = -1;
    EXPECT_EQ(PathBehindLinks(base + "/" + c.path, error), c.behind) << c.path;
    EXPECT_EQ(error, c.error) << c.path;
  }
}

// ---- Links back up the tree ---------------------------------------------------------------

class EnclosingFolders : public testing::Test {
 protected:
  void SetUp() override {
    root = dir / "racine";
    fs::create_directories(root / "sub" / "deep");
    fs::create_directories(root / "other");
    fs::create_symlink(root / "sub", root / "sub" / "self");
    fs::create_symlink(root, root / "sub" / "up");
    fs::create_symlink(root, root / "sub" / "deep" / "top");
    fs::create_symlink(root / "other", root / "sub" / "side");
    fs::create_symlink(dir.path(), root / "sub" / "above");  // above where the walk starts
    fixtures::WriteFile(root / "sub" / "file", "");
  }

  Ref<FolderItem> Find(const Ref<FolderItem>& folder, const String& name) {
    for (std::int64_t i = 1; i <= folder->Count(); ++i)
      if (folder->Item(i)->Name() == name) return folder->Item(i);
    ADD_FAILURE() << "no entry " << name << " in " << folder->NativePath();
    return nullptr;
  }

  fixtures::TempDir dir;
  path root;
};

TEST_F(EnclosingFolders, LinksBackToTheFolderOrAnEnclosingOneAreSeen) {
  const Ref<FolderItem> top = GetFolderItem(root.string(), 3);
  const Ref<FolderItem> sub = Find(top, "sub");
  const std::pair<const char*, bool> cases[] = {{"self", true}, {"up", true},    {"side", false},
                                                {"deep", false}, {"file", false}, {"above", false}};
  for (const auto& [name, revisits] : cases) EXPECT_EQ(Find(sub, name)->RevisitsEnclosingFolder(), revisits) << name;
  EXPECT_TRUE(Find(Find(sub, "deep"), "top")->RevisitsEnclosingFolder());
  EXPECT_FALSE(sub->RevisitsEnclosingFolder());
  EXPECT_FALSE(top->RevisitsEnclosingFolder());
}

TEST_F(EnclosingFolders, ItemsMadeFromAPathKnowNoEnclosingFolder) {
  for (const char* link : {"sub/self", "sub/up", "sub/deep/top"})
    EXPECT_FALSE(GetFolderItem((root / link).string(), 3)->RevisitsEnclosingFolder()) << link;
}

TEST_F(EnclosingFolders, AWalkThatSkipsRevisitingFoldersEnds) {
  // Also the link to the folder above the walk's start: it must end, once it comes round.
  int deepest = 0;
  std::function<void(const Ref<FolderItem>&, int)> walk = [&](const Ref<FolderItem>& folder, int depth) {
    deepest = std::max(deepest, depth);
    if (depth > 12) return;
    for (std::int64_t i = 1; i <= folder->Count(); ++i) {
      const Ref<FolderItem> item = folder->Item(i);
      if (item->Directory() && !item->RevisitsEnclosingFolder()) walk(item, depth + 1);
    }
  };
  walk(GetFolderItem(root.string(), 3), 0);
  EXPECT_LE(deepest, 12);
}

// ---- New files -----------------------------------------------------------------------------

TEST(CreateUniqueFile, TakesTheNameOrTheNextFreeOneAndNeverReplaces) {
  struct Case {
    const char* name;
    std::vector<String> made;  // the names that three creations take, in turn
  };
  const Case cases[] = {
      {"carnet.sqlite", {"carnet (2).sqlite", "carnet (3).sqlite", "carnet (4).sqlite"}},
      {"notes", {"notes (2)", "notes (3)", "notes (4)"}},
      {".hidden", {".hidden (2)", ".hidden (3)", ".hidden (4)"}},
      {"a.b.c", {"a.b (2).c", "a.b (3).c", "a.b (4).c"}},
  };
  for (const auto& c : cases) {
    fixtures::TempDir dir;
    fixtures::WriteFile(dir / c.name, "existing");
    const Ref<FolderItem> folder = GetFolderItem(dir.str(), 3);
    for (const String& expected : c.made) {
      const Ref<FolderItem> made = folder->CreateUniqueFile(c.name);
      ASSERT_NE(made, nullptr) << c.name;
      EXPECT_EQ(made->Name(), expected);
      EXPECT_EQ(fixtures::ReadFile(made->NativePath()), "");
    }
    EXPECT_EQ(fixtures::ReadFile(dir / c.name), "existing") << c.name;
    EXPECT_EQ(folder->LastErrorCode(), 0);
  }
  fixtures::TempDir dir;
  const Ref<FolderItem> first = GetFolderItem(dir.str(), 3)->CreateUniqueFile("libre.txt");
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(first->NativePath(), (dir / "libre.txt").string());
}

TEST(CreateUniqueFile, NowhereToCreateGivesNilAndTheReason) {
  fixtures::TempDir dir;
  const Ref<FolderItem> absent = GetFolderItem((dir / "absent").string(), 3);
  EXPECT_EQ(absent->CreateUniqueFile("x.sqlite"), nullptr);
  EXPECT_EQ(absent->LastErrorCode(), ENOENT);
  EXPECT_EQ(absent->LastErrorMessage(), "fichier ou dossier introuvable");
  EXPECT_FALSE(fs::exists(dir / "absent"));
}

TEST(FolderItem, SameFileAsFollowsLinksAndTellsFilesApart) {
  fixtures::TempDir dir;
  fixtures::WriteFile(dir / "a.txt", "a");
  fixtures::WriteFile(dir / "b.txt", "a");
  fs::create_symlink(dir / "a.txt", dir / "lien.txt");
  const Ref<FolderItem> a = GetFolderItem((dir / "a.txt").string(), 3);
  EXPECT_TRUE(a->SameFileAs(GetFolderItem((dir / "lien.txt").string(), 3)));
  EXPECT_TRUE(a->SameFileAs(GetFolderItem((dir.path() / "." / "a.txt").string(), 3)));
  EXPECT_FALSE(a->SameFileAs(GetFolderItem((dir / "b.txt").string(), 3)));
  EXPECT_FALSE(a->SameFileAs(GetFolderItem((dir / "absent.txt").string(), 3)));
  EXPECT_FALSE(a->SameFileAs(nullptr));
}

TEST(CreateAsFolder, MakesTheFolder) {
  fixtures::TempDir dir;
  const Ref<FolderItem> item = GetFolderItem((dir / "resultat_2026-12-10_07-27").string(), 3);
  EXPECT_FALSE(item->Exists());
  item->CreateAsFolder();
  EXPECT_TRUE(item->Exists());
  EXPECT_TRUE(item->Directory());
  EXPECT_TRUE(fs::is_directory(dir / "resultat_2026-12-10_07-27"));
  EXPECT_NO_THROW(item->CreateAsFolder());  // already there: nothing
}

// ---- Text output --------------------------------------------------------------------------

TEST(TextOutputStream, WritesLinesEndingInLF) {
  fixtures::TempDir dir;
  const Ref<TextOutputStream> out = TextOutputStream::Create(GetFolderItem((dir / "r.txt").string(), 3));
  out->WriteLine("première");
  out->WriteLine("");
  out->WriteLine("a\tb\rc");
  out->Close();
  EXPECT_EQ(fixtures::ReadFile(dir / "r.txt"), "première\n\na\tb\rc\n");
}

TEST(TextOutputStream, ManyLinesAreAllWrittenInOrder) {
  fixtures::TempDir dir;
  const Ref<TextOutputStream> out = TextOutputStream::Create(GetFolderItem((dir / "r.txt").string(), 3));
  String expected;
  const String filler(97, 'x');
  for (int i = 0; i < 20000; ++i) {
    const String line = std::to_string(i) + filler;
    out->WriteLine(line);
    expected += line + "\n";
    if (i == 12345) out->Flush();
  }
  out->Close();
  EXPECT_EQ(fixtures::ReadFile(dir / "r.txt"), expected);
}

TEST(TextOutputStream, CreateEmptiesAnExistingFile) {
  fixtures::TempDir dir;
  fixtures::WriteFile(dir / "r.txt", String(100000, 'o'));
  const Ref<TextOutputStream> out = TextOutputStream::Create(GetFolderItem((dir / "r.txt").string(), 3));
  out->WriteLine("new");
  out->Close();
  EXPECT_EQ(fixtures::ReadFile(dir / "r.txt"), "new\n");
}

int CreateError(const path& file) {
  try {
    TextOutputStream::Create(GetFolderItem(file.string(), 3));
  } catch (const IOException& e) {
    EXPECT_FALSE(e.Message().empty());
    return e.ErrorNumber();
  }
  return 0;
}

TEST(TextOutputStream, FailedCreateCarriesTheOSError) {
  fixtures::TempDir dir;
  fs::create_directory(dir / "folder");
  EXPECT_EQ(CreateError(dir / "absent" / "r.txt"), ENOENT);
  EXPECT_EQ(CreateError(dir / "folder"), EISDIR);
  EXPECT_FALSE(fs::exists(dir / "absent"));
  EXPECT_THROW(TextOutputStream::Create(nullptr), NilObjectException);
}

TEST(TextOutputStream, FailedCreateInAReadOnlyFolder) {
  fixtures::TempDir dir;
  fs::create_directory(dir / "locked");
  fs::permissions(dir / "locked", fs::perms::owner_read | fs::perms::owner_exec);
  fixtures::Unprivileged user(dir.path());
  EXPECT_EQ(CreateError(dir / "locked" / "r.txt"), EACCES);
  try {
    TextOutputStream::Create(GetFolderItem((dir / "locked" / "r.txt").string(), 3));
  } catch (const IOException& e) {
    EXPECT_EQ(e.Message(), "permission refusée");  // the user reads it in French
  }
}

int ErrorOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const IOException& e) {
    return e.ErrorNumber();
  }
  return 0;
}

TEST(TextOutputStream, AFullDiskIsReportedAtFlushOrCloseAndOnlyOnce) {
  if (!fs::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
  for (bool flush : {true, false}) {
    const Ref<TextOutputStream> out = TextOutputStream::Create(GetFolderItem("/dev/full", 3));
    int error = ErrorOf([&] { out->WriteLine("ligne"); });
    if (error == 0) error = ErrorOf([&] { flush ? out->Flush() : out->Close(); });
    if (error == 0 && flush) error = ErrorOf([&] { out->Close(); });
    EXPECT_EQ(error, ENOSPC) << (flush ? "Flush" : "Close");
    EXPECT_NO_THROW(out->Close());
    EXPECT_NO_THROW(out->Close());
  }
}

TEST(TextOutputStream, AFullDiskIsReportedWhileManyLinesAreWritten) {
  if (!fs::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
  const Ref<TextOutputStream> out = TextOutputStream::Create(GetFolderItem("/dev/full", 3));
  const String line(1000, 'x');
  const int error = ErrorOf([&] {
    for (int i = 0; i < 1000; ++i) out->WriteLine(line);  // a megabyte: more than any buffer
  });
  EXPECT_EQ(error, ENOSPC);
  EXPECT_NO_THROW(out->Close());
}

}  // namespace

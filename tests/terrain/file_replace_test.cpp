// Replacing files keeps what the user set on them and changes several files all or
// nothing: owners, groups and links survive, a shared sticky folder refuses before the
// first rename, a rename or removal that fails all the same puts the earlier files back,
// and long names leave room for the temporary ones.
#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#endif

#include <functional>

#include "platform/replace_file.h"
#include "support/temp_folder.h"
#include "support/without_write_access.h"
#include "terrain/file_io.h"

namespace quarnby {
namespace {

using testing::TempFolder;

struct FileReplace : ::testing::Test {
  TempFolder tmp;
  std::filesystem::path folder = tmp.terrain("Demo");
  std::filesystem::path elv = folder / "Demo.elv";
  std::filesystem::path typ = folder / "Demo.typ";
  const std::vector<std::uint8_t> newElv = std::vector<std::uint8_t>(5000, 1);
  const std::vector<std::uint8_t> newTyp = std::vector<std::uint8_t>(3000, 2);

  FileReplace() {
    testing::writeText(elv, "old elevation");
    testing::writeText(typ, "old types");
  }

  std::vector<Replacement> both() const { return {{elv, newElv}, {typ, newTyp}}; }

  // Breaks the second file just before its turn: the type grid becomes a folder with
  // something in it, which no rename or removal can take.
  std::function<void(std::size_t)> typeGridTurnsIntoAFolder() const {
    return [this](std::size_t i) {
      if (i != 1) return;
      std::filesystem::remove(typ);
      std::filesystem::create_directories(typ / "inside");
    };
  }

  // Every name in the folder: no temporary file may stay behind.
  static std::vector<std::string> names(const std::filesystem::path& in) {
    std::vector<std::string> found;
    for (const auto& entry : std::filesystem::directory_iterator(in)) found.push_back(entry.path().filename().string());
    std::sort(found.begin(), found.end());
    return found;
  }
#ifndef _WIN32
  static struct stat statOf(const std::filesystem::path& file) {
    struct stat st = {};
    EXPECT_EQ(::lstat(file.c_str(), &st), 0) << file;
    return st;
  }
#endif
};

TEST_F(FileReplace, ARenameThatFailsPutsTheFilesAlreadyReplacedBack) {
  // The type grid becomes a folder with something in it just before its rename.
  const auto failed = replaceFiles(both(), typeGridTurnsIntoAFolder());
  ASSERT_TRUE(failed);
  EXPECT_EQ(failed->index, 1u);
  EXPECT_EQ(testing::readText(elv), "old elevation");
  EXPECT_EQ(names(folder), (std::vector<std::string>{"Demo.elv", "Demo.typ"}));

  // A file that did not exist before is removed again.
  std::filesystem::remove_all(typ);
  std::filesystem::remove(elv);
  EXPECT_TRUE(replaceFiles(both(), [&](std::size_t i) {
    if (i == 1) std::filesystem::create_directories(typ / "inside");
  }));
  EXPECT_EQ(names(folder), std::vector<std::string>{"Demo.typ"});

  std::filesystem::remove_all(typ);
  EXPECT_FALSE(replaceFiles(both()));
  EXPECT_EQ(testing::readBytes(elv), newElv);
  EXPECT_EQ(testing::readBytes(typ), newTyp);
}

TEST_F(FileReplace, ARemovalGoesAllOrNothingWithTheReplacements) {
  const std::vector<Replacement> replaceAndRemove = {{elv, newElv}, {typ, {}, true}};
  // The type grid turns into a folder with something in it before it is removed: the
  // elevation grid already replaced is put back.
  const auto failed = replaceFiles(replaceAndRemove, typeGridTurnsIntoAFolder());
  ASSERT_TRUE(failed);
  EXPECT_EQ(failed->index, 1u);
  EXPECT_EQ(testing::readText(elv), "old elevation");
  EXPECT_EQ(names(folder), (std::vector<std::string>{"Demo.elv", "Demo.typ"}));

  std::filesystem::remove_all(typ);
  testing::writeText(typ, "old types");
  EXPECT_FALSE(replaceFiles(replaceAndRemove));
  EXPECT_EQ(testing::readBytes(elv), newElv);
  EXPECT_EQ(names(folder), std::vector<std::string>{"Demo.elv"});
  EXPECT_FALSE(replaceFiles(replaceAndRemove));  // nothing to remove is no failure
}

TEST_F(FileReplace, AnotherUsersFileInAStickyFolderIsRefusedBeforeAnyRename) {
#ifdef _WIN32
  GTEST_SKIP() << "no sticky folders or user switch on Windows";
#else
  if (::geteuid() != 0) GTEST_SKIP() << "needs root to hand files to another user";
  // A shared folder as /tmp is: everyone may write, only owners may replace. Nobody owns
  // the elevation grid; root owns the type grid, which everyone may write into.
  ::chmod(tmp.path().c_str(), 0755);
  ::chmod(folder.c_str(), 01777);
  ::chown(elv.c_str(), testing::kNobody, testing::kNobody);
  ::chmod(typ.c_str(), 0666);
  const std::string result = testing::asNobody([&] {
    const auto failed = replaceFiles(both());
    return failed ? std::to_string(failed->index) + ": " + failed->error : std::string("replaced");
  });
  EXPECT_EQ(result, "1: " + systemErrorText(EPERM));
  EXPECT_EQ(testing::readText(elv), "old elevation");
  EXPECT_EQ(testing::readText(typ), "old types");
  EXPECT_EQ(names(folder), (std::vector<std::string>{"Demo.elv", "Demo.typ"}));
#endif
}

TEST_F(FileReplace, OwnerGroupModeAndLinksAreKept) {
#ifdef _WIN32
  GTEST_SKIP() << "no POSIX owner, group and mode on Windows";
#else
  if (::geteuid() == 0) {
    ::chown(elv.c_str(), testing::kNobody, testing::kNobody);
    ::chmod(elv.c_str(), 0640);
    EXPECT_FALSE(replaceFile(elv, newElv));
    const struct stat st = statOf(elv);
    EXPECT_EQ(st.st_uid, testing::kNobody);
    EXPECT_EQ(st.st_gid, testing::kNobody);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    EXPECT_EQ(testing::readBytes(elv), newElv);
  }

  // The grid lives elsewhere and the terrain folder links to it, through two links.
  const auto store = tmp.path() / "store";
  std::filesystem::create_directory(store);
  testing::writeText(store / "real.typ", "old");
  std::filesystem::create_symlink("real.typ", store / "link.typ");
  std::filesystem::remove(typ);
  std::filesystem::create_symlink("../store/link.typ", typ);
  EXPECT_FALSE(replaceFiles(both()));
  EXPECT_TRUE(std::filesystem::is_symlink(typ));
  EXPECT_TRUE(std::filesystem::is_symlink(store / "link.typ"));
  EXPECT_EQ(testing::readBytes(store / "real.typ"), newTyp);
  EXPECT_EQ(names(folder), (std::vector<std::string>{"Demo.elv", "Demo.typ"}));
  EXPECT_EQ(names(store), (std::vector<std::string>{"link.typ", "real.typ"}));
#endif
}

TEST_F(FileReplace, OnlyRegularFilesAreReplacedLinkedOrNot) {
#ifdef _WIN32
  GTEST_SKIP() << "no named pipes or POSIX links to them on Windows";
#else
  // A pipe, and a link to one: neither is turned into a file, whatever it names.
  const auto pipe = folder / "pipe";
  ASSERT_EQ(::mkfifo(pipe.c_str(), 0644), 0);
  std::filesystem::remove(typ);
  std::filesystem::create_symlink("pipe", typ);
  for (const auto& target : {pipe, typ}) {
    EXPECT_EQ(replaceFile(target, newTyp), "not a regular file") << target;
    const auto failed = replaceFiles(both());
    ASSERT_TRUE(failed);
    EXPECT_EQ(failed->error, "not a regular file");
  }
  EXPECT_TRUE(S_ISFIFO(statOf(pipe).st_mode));
  EXPECT_TRUE(std::filesystem::is_symlink(typ));
  EXPECT_EQ(testing::readText(elv), "old elevation");
  EXPECT_EQ(names(folder), (std::vector<std::string>{"Demo.elv", "Demo.typ", "pipe"}));
#endif
}

TEST_F(FileReplace, ANameOfTwoHundredAndFiftyBytesCanBeReplaced) {
  const auto file = folder / (std::string(246, 'E') + ".elv");
  ASSERT_EQ(file.filename().string().size(), 250u);
  EXPECT_EQ(replaceFile(file, newElv), std::nullopt);
  EXPECT_EQ(replaceFile(file, newTyp), std::nullopt);
  EXPECT_EQ(testing::readBytes(file), newTyp);
  EXPECT_EQ(names(folder).size(), 3u);
}

// Every new file is on the disk before the first rename: a power cut after it must not
// leave an empty file where the old one was.
TEST_F(FileReplace, EveryFileIsSyncedBeforeTheFirstRename) {
  const std::uint64_t synced = platform::filesSynced();
  std::vector<std::uint64_t> atRename;
  ASSERT_FALSE(replaceFiles(both(), [&](std::size_t) { atRename.push_back(platform::filesSynced() - synced); }));
  EXPECT_EQ(atRename, (std::vector<std::uint64_t>{2, 2}));
  ASSERT_FALSE(replaceFile(elv, "one"));
  EXPECT_EQ(platform::filesSynced() - synced, 3u);
}

// The last write cut short by a file-size limit: the rest is written or the replace fails,
// never a truncated file in place of the old one.
TEST_F(FileReplace, AShortLastWriteIsNeverTakenForTheWholeFile) {
#ifdef _WIN32
  GTEST_SKIP() << "no file-size limit (rlimit) on Windows";
#else
  const pid_t child = ::fork();
  if (child == 0) {
    std::signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{4000, 4000};  // the 5000 bytes go in one write, cut at 4000
    ::setrlimit(RLIMIT_FSIZE, &limit);
    ::_exit(replaceFile(elv, newElv) ? 0 : 1);
  }
  int status = 0;
  ::waitpid(child, &status, 0);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the replace did not fail";
  EXPECT_EQ(testing::readText(elv), "old elevation");
#endif
}

}  // namespace
}  // namespace quarnby

// The virtual file system over the real disk: the POSIX provider natively, the kernel file
// interface under Wine. Both must behave the same.
#include "TestSupport.h"

#include "resources/FileSystem.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#endif

namespace {

std::string readAll(File& file) {
    std::string text(file.size(), '\0');
    if (!file.readFully(static_cast<std::uint32_t>(text.size()), text.data()))
        return "<read failed>";
    return text;
}

// A File that only records its destruction.
class MarkerFile final : public File {
  public:
    explicit MarkerFile(bool* destroyed) : destroyed(destroyed) {}
    ~MarkerFile() override { *destroyed = true; }
    void close() override {}
    std::uint32_t size() override { return 0; }
    void read(std::uint32_t, void*, std::uint32_t& bytesRead) override { bytesRead = 0; }
    bool readFully(std::uint32_t, void*) override { return false; }
    std::uint32_t tell() override { return 0; }
    bool seek(std::uint32_t, SeekOrigin) override { return false; }
    bool* destroyed;
};

// A provider that writes each question it is asked into a shared journal.
class JournalProvider final : public FileSystemProvider {
  public:
    JournalProvider(std::string name, bool has, bool opens, std::vector<std::string>& journal)
        : name(std::move(name)), has(has), opens(opens), journal(journal) {}
    bool initialise() override { return true; }
    bool exists(const char* path) override {
        journal.push_back(name + " exists " + path);
        return has;
    }
    bool open(const char* path, IntrusivePointer<File>& out) override {
        journal.push_back(name + " open " + path);
        if (opens)
            out = new MarkerFile(&fileDestroyed);
        return opens;
    }
    std::string name;
    bool has;
    bool opens;
    std::vector<std::string>& journal;
    bool fileDestroyed = false;
};

const LogLine notFound(const std::string& path) {
    return {3, "File not found: " + path};
}

class LocalFiles : public ::testing::Test {
  protected:
    LocalFiles() : provider(new LocalFileSystem), scratch("fs-scratch") {}
    IntrusivePointer<LocalFileSystem> provider; // first: it enters the executable's directory
    ScratchDirectory scratch;
    LogRecorder log;
    std::string root(const std::string& sub) const { return scratch.name() + "/" + sub; }
};

} // namespace

TEST(FileSystem, WithNoProviderEveryOpenIsNotFound) {
    LogRecorder log;
    FileSystem files;
    bool destroyed = false;
    IntrusivePointer<File> out(new MarkerFile(&destroyed));
    File* before = out.get();
    EXPECT_FALSE(files.open("Shaders/simple.vsh", out));
    EXPECT_EQ(out.get(), before);
    EXPECT_EQ(log.lines(), std::vector<LogLine>{notFound("Shaders/simple.vsh")});
}

TEST(FileSystem, AsksProvidersLastMountedFirstAndOpensOnlyWhatExists) {
    LogRecorder log;
    std::vector<std::string> journal;
    IntrusivePointer<JournalProvider> first(new JournalProvider("first", true, true, journal));
    IntrusivePointer<JournalProvider> held(new JournalProvider("held", true, false, journal));
    IntrusivePointer<JournalProvider> absent(new JournalProvider("absent", false, true, journal));
    FileSystem files;
    files.mount(first);
    files.mount(held);
    files.mount(absent);

    IntrusivePointer<File> out;
    EXPECT_TRUE(files.open("a.png", out));
    EXPECT_EQ(journal, (std::vector<std::string>{"absent exists a.png", "held exists a.png",
                                                 "held open a.png", "first exists a.png",
                                                 "first open a.png"}));
    EXPECT_TRUE(log.lines().empty());
    out.reset();
    EXPECT_TRUE(first->fileDestroyed);
}

TEST(FileSystem, AFileThatExistsButOpensNowhereIsNotFound) {
    LogRecorder log;
    std::vector<std::string> journal;
    FileSystem files;
    files.mount(new JournalProvider("held", true, false, journal));
    IntrusivePointer<File> out;
    EXPECT_FALSE(files.open("music.ogg", out));
    EXPECT_FALSE(out);
    EXPECT_EQ(log.lines(), std::vector<LogLine>{notFound("music.ogg")});
}

TEST(FileSystem, ReleasesItsProvidersWhenTheLastReferenceGoes) {
    std::vector<std::string> journal;
    IntrusivePointer<FileSystem> files(new FileSystem);
    IntrusivePointer<JournalProvider> provider(new JournalProvider("p", true, true, journal));
    files->mount(provider);
    EXPECT_EQ(provider->referenceCount(), 2);
    files.reset();
    EXPECT_EQ(provider->referenceCount(), 1);
}

TEST_F(LocalFiles, PathsAreRelativeToTheExecutableDirectory) {
    scratch.write("data/a.txt", "beside the executable");
    const std::filesystem::path home = std::filesystem::current_path();
    std::filesystem::current_path(std::filesystem::temp_directory_path());
    IntrusivePointer<LocalFileSystem> local(new LocalFileSystem);
    local->addRoot(root("data").c_str());
    IntrusivePointer<File> file;
    const bool opened = local->open("a.txt", file);
    const std::filesystem::path entered = std::filesystem::current_path();
    std::filesystem::current_path(home);
    EXPECT_TRUE(std::filesystem::equivalent(entered, home));
    ASSERT_TRUE(opened);
    EXPECT_EQ(readAll(*file), "beside the executable");
}

TEST_F(LocalFiles, OpenTakesTheRootAddedLastWhileExistsSeesEveryRoot) {
    scratch.write("one/same.txt", "one");
    scratch.write("two/same.txt", "two");
    scratch.write("one/first-only.txt", "first");
    scratch.write("two/last-only.txt", "last");
    provider->addRoot(root("one").c_str());
    provider->addRoot(root("two").c_str());

    IntrusivePointer<File> file;
    ASSERT_TRUE(provider->open("same.txt", file));
    EXPECT_EQ(readAll(*file), "two");
    for (const char* path : {"first-only.txt", "last-only.txt"}) {
        EXPECT_TRUE(provider->exists(path)) << path;
        ASSERT_TRUE(provider->open(path, file)) << path;
    }
    EXPECT_EQ(readAll(*file), "last");
    EXPECT_FALSE(provider->exists("nowhere.txt"));
    EXPECT_TRUE(log.lines().empty());
}

TEST_F(LocalFiles, ProvidersMountedLaterWinOverEarlierOnes) {
    scratch.write("early/Images/tunnel.jpg", "early");
    scratch.write("late/Images/tunnel.jpg", "late");
    IntrusivePointer<LocalFileSystem> late(new LocalFileSystem);
    provider->addRoot(root("early").c_str());
    late->addRoot(root("late").c_str());
    FileSystem files;
    files.mount(provider);
    files.mount(late);
    IntrusivePointer<File> file;
    ASSERT_TRUE(files.open("Images/tunnel.jpg", file));
    EXPECT_EQ(readAll(*file), "late");
}

TEST_F(LocalFiles, WithoutRootsNothingExists) {
    scratch.write("a.txt", "a");
    IntrusivePointer<File> file;
    EXPECT_FALSE(provider->exists("a.txt"));
    EXPECT_FALSE(provider->open("a.txt", file));
    EXPECT_FALSE(file);
}

TEST_F(LocalFiles, SlashesAndBackslashesNameTheSameFile) {
    scratch.write("Data/Shaders/sub/simple.vsh", "void main() {}");
    scratch.write(u8"Data/Bilder/gr\u00fcn \u20ac\U0001F600.txt", "utf-8");
    provider->addRoot(root("Data").c_str());
    for (const char* path : {"Shaders/sub/simple.vsh", "Shaders\\sub\\simple.vsh",
                             "Shaders\\sub/simple.vsh", "Shaders//sub/./simple.vsh"}) {
        IntrusivePointer<File> file;
        EXPECT_TRUE(provider->exists(path)) << path;
        ASSERT_TRUE(provider->open(path, file)) << path;
        EXPECT_EQ(readAll(*file), "void main() {}") << path;
    }
    IntrusivePointer<File> file;
    ASSERT_TRUE(provider->open(u8"Bilder\\gr\u00fcn \u20ac\U0001F600.txt", file));
    EXPECT_EQ(readAll(*file), "utf-8");
}

TEST_F(LocalFiles, APlainDirectoryIsNotAFile) {
    scratch.makeDirectory("Data/Shaders");
    provider->addRoot(root("Data").c_str());
    FileSystem files;
    files.mount(provider);
    IntrusivePointer<File> file;
    EXPECT_FALSE(provider->exists("Shaders"));
    EXPECT_FALSE(provider->open("Shaders", file));
    EXPECT_FALSE(files.open("Shaders", file));
    EXPECT_FALSE(file);
    EXPECT_EQ(log.lines(), std::vector<LogLine>{notFound("Shaders")});
}

TEST_F(LocalFiles, AFailedOpenKeepsTheCallersFileAndASuccessfulOneReleasesIt) {
    scratch.write("Data/a.txt", "a");
    provider->addRoot(root("Data").c_str());
    bool destroyed = false;
    IntrusivePointer<File> file(new MarkerFile(&destroyed));
    File* marker = file.get();
    EXPECT_FALSE(provider->open("b.txt", file));
    EXPECT_EQ(file.get(), marker);
    EXPECT_FALSE(destroyed);
    EXPECT_TRUE(provider->open("a.txt", file));
    EXPECT_TRUE(destroyed);
    EXPECT_EQ(file->referenceCount(), 1);
}

TEST_F(LocalFiles, ReadsReportWhatTheyGotAndShortReadsAreNotFull) {
    scratch.write("Data/ten.bin", std::string("0123456789"));
    provider->addRoot(root("Data").c_str());
    IntrusivePointer<File> file;
    ASSERT_TRUE(provider->open("ten.bin", file));
    EXPECT_EQ(file->size(), 10u);

    char buffer[32] = {};
    std::uint32_t got = 99;
    file->read(4, buffer, got);
    EXPECT_EQ(got, 4u);
    EXPECT_EQ(std::string(buffer, 4), "0123");
    EXPECT_EQ(file->tell(), 4u);
    file->read(sizeof buffer, buffer, got);
    EXPECT_EQ(got, 6u);
    EXPECT_EQ(std::string(buffer, 6), "456789");
    file->read(1, buffer, got);
    EXPECT_EQ(got, 0u);

    ASSERT_TRUE(file->seek(7, SeekOrigin::Begin));
    EXPECT_FALSE(file->readFully(4, buffer)); // only three remain
    ASSERT_TRUE(file->seek(7, SeekOrigin::Begin));
    EXPECT_TRUE(file->readFully(3, buffer));
    EXPECT_EQ(std::string(buffer, 3), "789");
    EXPECT_TRUE(file->readFully(0, buffer));
}

TEST_F(LocalFiles, SeekOriginsAreBeginEndCurrentInThatOrder) {
    scratch.write("Data/ten.bin", std::string("0123456789"));
    provider->addRoot(root("Data").c_str());
    IntrusivePointer<File> file;
    ASSERT_TRUE(provider->open("ten.bin", file));

    ASSERT_TRUE(file->seek(0, SeekOrigin::End));
    EXPECT_EQ(file->tell(), file->size());
    ASSERT_TRUE(file->seek(3, static_cast<SeekOrigin>(0)));
    EXPECT_EQ(file->tell(), 3u);
    ASSERT_TRUE(file->seek(2, static_cast<SeekOrigin>(2)));
    EXPECT_EQ(file->tell(), 5u);
    ASSERT_TRUE(file->seek(0, static_cast<SeekOrigin>(1)));
    EXPECT_EQ(file->tell(), 10u);

    ASSERT_TRUE(file->seek(4, SeekOrigin::Begin));
    for (std::uint32_t origin : {3u, 7u, 0xFFFFFFFFu}) {
        EXPECT_FALSE(file->seek(1, static_cast<SeekOrigin>(origin))) << origin;
        EXPECT_EQ(file->tell(), 4u) << origin;
    }
    char digit = 0;
    ASSERT_TRUE(file->readFully(1, &digit));
    EXPECT_EQ(digit, '4');
}

TEST_F(LocalFiles, AnEmptyFileReadsFullyAndAClosedFileReadsNothing) {
    scratch.write("Data/empty.vsh", std::string());
    scratch.write("Data/ten.bin", std::string("0123456789"));
    provider->addRoot(root("Data").c_str());
    IntrusivePointer<File> file;
    ASSERT_TRUE(provider->open("empty.vsh", file));
    char buffer[16];
    EXPECT_EQ(file->size(), 0u);
    EXPECT_TRUE(file->readFully(0, buffer));
    EXPECT_FALSE(file->readFully(1, buffer));

    ASSERT_TRUE(provider->open("ten.bin", file));
    file->close();
    std::uint32_t got = 99;
    file->read(4, buffer, got);
    EXPECT_EQ(got, 0u);
    EXPECT_FALSE(file->readFully(1, buffer));
    EXPECT_FALSE(file->readFully(0, buffer));
    EXPECT_FALSE(file->seek(0, SeekOrigin::Begin));
    EXPECT_EQ(file->size(), 0u);
    EXPECT_EQ(file->tell(), 0u);
    file->close(); // a second close is harmless
}

TEST_F(LocalFiles, SizesOf4GiBAndMoreKeepTheLow32Bits) {
    const std::string path = root("Data/huge.bin");
    scratch.makeDirectory("Data");
    {
        std::error_code error;
        std::filesystem::path target = std::filesystem::u8path(path);
        { std::ofstream(target, std::ios::binary); }
        std::filesystem::resize_file(target, (std::uintmax_t{1} << 32) + 5, error);
        if (error)
            GTEST_SKIP() << "no sparse 4 GiB file here: " << error.message();
    }
    provider->addRoot(root("Data").c_str());
    IntrusivePointer<File> file;
    ASSERT_TRUE(provider->open("huge.bin", file));
    EXPECT_EQ(file->size(), 5u);
}

#ifdef _WIN32
TEST_F(LocalFiles, ADirectoryWithFurtherAttributesExistsButDoesNotOpen) {
    // Wine shows names that start with a dot as hidden; Windows keeps the read-only bit.
    scratch.makeDirectory("Data/.Images");
    const std::wstring directory = std::filesystem::path(root("Data/.Images")).wstring();
    SetFileAttributesW(directory.c_str(), FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY);
    const DWORD attributes = GetFileAttributesW(directory.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || attributes == FILE_ATTRIBUTE_DIRECTORY)
        GTEST_SKIP() << "no directory with further attribute bits here";
    provider->addRoot(root("Data").c_str());
    FileSystem files;
    files.mount(provider);
    IntrusivePointer<File> file;
    EXPECT_TRUE(provider->exists(".Images"));
    EXPECT_FALSE(files.open(".Images", file));
    EXPECT_EQ(log.lines(), std::vector<LogLine>{notFound(".Images")});
    SetFileAttributesW(directory.c_str(), FILE_ATTRIBUTE_DIRECTORY);
}

TEST_F(LocalFiles, AFileHeldWithoutReadSharingIsNotFoundUntilReleased) {
    scratch.write("Data/music.ogg", "OggS");
    provider->addRoot(root("Data").c_str());
    FileSystem files;
    files.mount(provider);
    const std::wstring path = std::filesystem::path(root("Data/music.ogg")).wstring();
    HANDLE exclusive =
        CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(exclusive, INVALID_HANDLE_VALUE);
    IntrusivePointer<File> file;
    EXPECT_TRUE(provider->exists("music.ogg"));
    EXPECT_FALSE(files.open("music.ogg", file));
    EXPECT_EQ(log.lines(), std::vector<LogLine>{notFound("music.ogg")});
    CloseHandle(exclusive);
    ASSERT_TRUE(files.open("music.ogg", file));
    EXPECT_EQ(readAll(*file), "OggS");
}
#endif

// The file and folder helpers: the files and folders they leave, and the deletions they schedule.
#include "PlatformTestSupport.h"
#include "payload/StringIds.h"
#include "platform/Files.h"

namespace
{
const wchar_t kSessionManager[] = L"SYSTEM\\CurrentControlSet\\Control\\Session Manager";
const wchar_t kPending[] = L"PendingFileRenameOperations";

// The delayed moves as stored, or "<none>" when there are none.
std::u16string PendingMoves()
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kSessionManager, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return u"<none>";
    DWORD size = 0;
    DWORD type = 0;
    std::u16string value = u"<none>";
    if (RegQueryValueExW(key, kPending, nullptr, &type, nullptr, &size) == ERROR_SUCCESS)
    {
        value.assign(size / 2, u'\0');
        RegQueryValueExW(key, kPending, nullptr, &type, reinterpret_cast<BYTE*>(value.data()), &size);
    }
    RegCloseKey(key);
    return value;
}

void RestorePendingMoves(const std::u16string& value)
{
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, kSessionManager, 0, KEY_SET_VALUE, &key), ERROR_SUCCESS);
    if (value == u"<none>")
        RegDeleteValueW(key, kPending);
    else
        RegSetValueExW(key, kPending, 0, REG_MULTI_SZ, reinterpret_cast<const BYTE*>(value.data()),
                       static_cast<DWORD>(value.size() * 2));
    RegCloseKey(key);
}

class FilesTest : public FolderTest
{
};
} // namespace

TEST_F(FilesTest, CreateOutputFileTruncatesAndSharesNothing)
{
    const std::u16string path = In(u"out.bin");
    {
        CHandle file = CreateOutputFile(path.c_str());
        ASSERT_TRUE(file);
        EXPECT_EQ(WriteBytes(file.Get(), "0123456789", 10), 1);
        SetLastError(0xdeadbeef);
        HANDLE second = CreateFileW(W(path), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                    OPEN_EXISTING, 0, nullptr);
        EXPECT_EQ(second, INVALID_HANDLE_VALUE);
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
        if (second != INVALID_HANDLE_VALUE)
            CloseHandle(second);
    }
    EXPECT_EQ(Contents(path), "0123456789");
    {
        CHandle again = CreateOutputFile(path.c_str());
        ASSERT_TRUE(again);
    }
    EXPECT_EQ(Contents(path), "");
    EXPECT_FALSE(CreateOutputFile(In(u"missing\\out.bin").c_str())); // null, not INVALID_HANDLE_VALUE
    EXPECT_FALSE(Exists(In(u"missing")));
}

TEST_F(FilesTest, WriteBytesWritesAllOrFails)
{
    const std::u16string path = In(u"bytes.bin");
    CHandle file = CreateOutputFile(path.c_str());
    ASSERT_TRUE(file);
    EXPECT_EQ(WriteBytes(nullptr, "abc", 3), 0);
    EXPECT_EQ(WriteBytes(file.Get(), nullptr, 3), 0);
    EXPECT_EQ(WriteBytes(file.Get(), "abc", 0), 0);
    EXPECT_EQ(WriteBytes(file.Get(), "a\0c", 3), 1);
    file.Reset();
    EXPECT_EQ(Contents(path), std::string("a\0c", 3));

    // A handle opened for reading only cannot be written.
    HANDLE readOnly = CreateFileW(W(path), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(readOnly, INVALID_HANDLE_VALUE);
    EXPECT_EQ(WriteBytes(readOnly, "zz", 2), 0);
    CloseHandle(readOnly);
    EXPECT_EQ(Contents(path), std::string("a\0c", 3));
}

TEST_F(FilesTest, WriteTextWritesUtf8WithoutMarkOrTerminator)
{
    struct
    {
        const char* Name;
        bool Wide;
        const char* Narrow;
        const char16_t* WideText;
        int Result;
        std::string Expected;
    } cases[] = {
        {"wide", true, nullptr, u"Prze\u0142\u0105cz\r\n\u201Eok\u201D", 1,
         "Prze\xC5\x82\xC4\x85"
         "cz\r\n\xE2\x80\x9Eok\xE2\x80\x9D"},
        {"narrow", false, "\xC5\xBC\xC3\xB3\xC5\x82w", nullptr, 1, "\xC5\xBC\xC3\xB3\xC5\x82w"},
        {"empty wide", true, nullptr, u"", 0, ""},
        {"empty narrow", false, "", nullptr, 0, ""},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.Name);
        const std::u16string path = In(u"text.txt");
        {
            CHandle file = CreateOutputFile(path.c_str());
            ASSERT_TRUE(file);
            GString text;
            if (c.Wide)
                text.AssignW(c.WideText);
            else
                text.AssignA(c.Narrow);
            EXPECT_EQ(WriteText(file.Get(), text), c.Result);
        }
        EXPECT_EQ(Contents(path), c.Expected);
    }
    GString text;
    text.AssignW(u"x");
    EXPECT_EQ(WriteText(nullptr, text), 0);
}

TEST_F(FilesTest, DeleteFileOrScheduleDeletesAndCountsAMissingFileAsDeleted)
{
    const std::u16string before = PendingMoves();
    const std::u16string path = In(u"gone.txt");
    {
        CHandle file = CreateOutputFile(path.c_str());
    }
    ASSERT_TRUE(Exists(path));
    EXPECT_EQ(DeleteFileOrSchedule(path.c_str()), 1);
    EXPECT_FALSE(Exists(path));
    SetLastError(0xdeadbeef);
    EXPECT_EQ(DeleteFileOrSchedule(path.c_str()), 1);
    EXPECT_EQ(PendingMoves(), before); // nothing scheduled for a file that is not there

    GString empty;
    EXPECT_EQ(DeleteFileOrSchedule(empty), 0);
    EXPECT_EQ(DeleteFileOrSchedule(u""), 0);
    EXPECT_EQ(DeleteFileOrSchedule(static_cast<const char16_t*>(nullptr)), 0);
    GString narrow;
    {
        CHandle file = CreateOutputFile(In(u"narrow.txt").c_str());
    }
    std::string utf8;
    for (char16_t c : In(u"narrow.txt"))
        utf8 += static_cast<char>(c); // the temporary folder's path is ASCII under Wine
    narrow.AssignA(utf8.c_str());
    EXPECT_EQ(DeleteFileOrSchedule(narrow), 1);
    EXPECT_FALSE(Exists(In(u"narrow.txt")));
}

TEST_F(FilesTest, DeleteFileOrScheduleSchedulesAFileInUse)
{
    const std::u16string before = PendingMoves();
    const std::u16string path = In(u"busy.dll");
    HANDLE held = CreateFileW(W(path), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    GString text;
    text.AssignW(path.c_str());
    const int result = DeleteFileOrSchedule(text);
    const std::u16string after = PendingMoves();
    CloseHandle(held);
    RestorePendingMoves(before);

    EXPECT_EQ(result, 1);
    EXPECT_TRUE(Exists(path));
    // The pair: the file's NT path, then an empty target (a deletion).
    const std::u16string entry = u"\\??\\" + path + std::u16string(2, u'\0');
    EXPECT_NE(after.find(entry), std::u16string::npos) << "pending: " << testing::PrintToString(after);
}

TEST_F(FilesTest, CreateFolderMakesTheLastLevelOnly)
{
    const std::u16string made = In(u"made");
    SetLastError(0xdeadbeef);
    EXPECT_EQ(CreateFolder(made.c_str()), 1);
    EXPECT_TRUE(Exists(made));
    EXPECT_EQ(CreateFolder(made.c_str()), 1); // already there
    EXPECT_EQ(CreateFolder(In(u"no\\such").c_str()), 0);
    EXPECT_FALSE(Exists(In(u"no")));
    // A file of that name is not a folder, but CreateDirectoryW says "already exists" all the same.
    {
        CHandle file = CreateOutputFile(In(u"plain").c_str());
    }
    EXPECT_EQ(CreateFolder(In(u"plain").c_str()), 1);
}

TEST_F(FilesTest, RemoveFolderRemovesOnlyAnEmptyFolder)
{
    GString full, empty, none;
    full.AssignW(In(u"full").c_str());
    empty.AssignW(In(u"empty").c_str());
    ASSERT_TRUE(CreateDirectoryW(W(In(u"full")), nullptr));
    ASSERT_TRUE(CreateDirectoryW(W(In(u"empty")), nullptr));
    {
        CHandle file = CreateOutputFile(In(u"full\\a.txt").c_str());
    }
    EXPECT_EQ(RemoveFolder(full), 0);
    EXPECT_TRUE(Exists(In(u"full\\a.txt")));
    EXPECT_EQ(RemoveFolder(empty), 1);
    EXPECT_FALSE(Exists(In(u"empty")));
    EXPECT_EQ(RemoveFolder(none), 0);
}

TEST_F(FilesTest, TemporaryFolderAndFiles)
{
    GString temp;
    ASSERT_EQ(GetTempFolder(temp), 1);
    wchar_t expected[MAX_PATH + 1];
    GetTempPathW(MAX_PATH + 1, expected);
    EXPECT_EQ(Text(temp), U(expected));
    EXPECT_EQ(temp.GetW(0)[temp.GetLength() - 1], u'\\');

    GString prefix;
    Install.GetString(kIdTempFilePrefix, prefix);
    ASSERT_GT(prefix.GetLength(), 0);
    GString path;
    ASSERT_EQ(Install.CreateTempFile(path, kIdTempFilePrefix, Folder.c_str()), 1);
    const std::u16string made = Text(path);
    EXPECT_EQ(made.substr(0, Folder.size() + 1), Folder + u"\\");
    const std::u16string name = made.substr(Folder.size() + 1);
    EXPECT_EQ(name.substr(0, 3), Text(prefix).substr(0, 3));
    EXPECT_EQ(name.substr(name.size() - 4), u".tmp");
    EXPECT_EQ(Contents(made), ""); // made, and empty

    GString second;
    ASSERT_EQ(Install.CreateTempFile(second, kIdTempFilePrefix, Folder.c_str()), 1);
    EXPECT_NE(Text(second), made);

    GString inTemp;
    ASSERT_EQ(Install.CreateTempFile(inTemp, kIdTempFilePrefix, nullptr), 1);
    EXPECT_EQ(Text(inTemp).substr(0, temp.GetLength()), Text(temp));
    EXPECT_TRUE(Exists(Text(inTemp)));
    DeleteFileW(W(Text(inTemp)));

    GString none;
    EXPECT_EQ(Install.CreateTempFile(none, 0, Folder.c_str()), 0);
    EXPECT_EQ(Install.CreateTempFile(none, kIdWithoutText, Folder.c_str()), 0);
    EXPECT_EQ(Install.CreateTempFile(none, kIdTempFilePrefix, In(u"missing").c_str()), 0);
    EXPECT_EQ(none.GetLength(), 0);
}

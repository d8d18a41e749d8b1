// What the install scenarios share: the machine state they read and clean up, a platform that answers
// what Wine cannot arrange, and installer objects over a payload with small companion documents.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/CInstall.h"
#include "platform/Platform.h"

#include <gtest/gtest.h>

namespace scenario
{

// Answers for what a test cannot arrange for real; everything else passes through to Windows.
class FakePlatform : public CPlatform
{
  public:
    struct Started
    {
        std::wstring CommandLine;
        std::string Script; // the file named in the command line, read while the "process" runs
    };
    struct Message
    {
        std::wstring Text, Caption;
        UINT Flags;
    };

    LANGID UserDefaultLanguage() override;
    BOOL QueryVersion(OSVERSIONINFOW* info) override;
    void QuerySystemInfo(NativeSystemInfoFn native, SYSTEM_INFO* info) override;
    BOOL CheckMembership(PSID group, BOOL* member) override;
    BOOL RequestShutdown(ShutdownExFn extended, LPWSTR message, DWORD timeout, BOOL force, BOOL reboot,
                         DWORD reason) override;
    BOOL StartProcess(LPWSTR commandLine, STARTUPINFOW* startup, PROCESS_INFORMATION* process) override;
    int ShowMessageBox(HWND owner, const wchar_t* text, const wchar_t* caption, UINT flags) override;

    LANGID Language = 0;         // 0: the real one
    DWORD Major = 0, Minor = 0;  // 0: the real version
    int VersionRefused = 0;      // the version query fails in both forms
    uint16_t Processor = 0xFFFF; // 0xFFFF: the real processor
    int Administrator = -1;      // -1: the real answer
    std::vector<Started> Processes;
    std::vector<Message> Messages;
    int Shutdowns = 0;
};

// Puts a platform in place for as long as it lives.
class PlatformScope
{
  public:
    explicit PlatformScope(CPlatform* platform) : Previous(SetPlatform(platform)) {}
    ~PlatformScope() { SetPlatform(Previous); }

  private:
    CPlatform* Previous;
};

// The program's payload with small companion documents of its own (the real ones are large, and may
// not exist yet), and optionally another common table.
class TestPayload
{
  public:
    TestPayload();
    // The common (or supplementary) table compiled from the program's sources with one line changed:
    // id's text becomes text, or the id goes when remove is set.
    void ChangeCommonText(uint32_t id, const std::string& text, bool remove);
    void ChangeExtraText(uint32_t id, const std::string& text, bool remove);

    CarriedPayload Payload;
    CGuard Guard;
    std::vector<std::unique_ptr<std::vector<unsigned char>>> Items;
    static const char kFileA[], kFileB[], kFileD[];

  private:
    EmbeddedItem Pack(const std::string& content, uint32_t extra = 0);
    void ChangeText(EmbeddedItem* slot, const char* source, bool withPatterns, uint32_t id,
                    const std::string& text, bool remove);
};

// Registry helpers; view is 0 (the 32-bit program's view), KEY_WOW64_64KEY or KEY_WOW64_32KEY.
bool KeyExists(HKEY root, const std::wstring& path, REGSAM view = 0);
bool ReadString(HKEY root, const std::wstring& path, const wchar_t* name, std::wstring* value,
                REGSAM view = 0);
bool ReadDword(HKEY root, const std::wstring& path, const wchar_t* name, uint32_t* value, REGSAM view = 0);
bool ReadBinary(HKEY root, const std::wstring& path, const wchar_t* name, std::vector<uint8_t>* value,
                REGSAM view = 0);
bool WriteString(HKEY root, const std::wstring& path, const wchar_t* name, const std::wstring& value,
                 REGSAM view = 0);
bool WriteDword(HKEY root, const std::wstring& path, const wchar_t* name, uint32_t value, REGSAM view = 0);
void DeleteValue(HKEY root, const std::wstring& path, const wchar_t* name, REGSAM view = 0);
void DeleteTree(HKEY root, const std::wstring& path, REGSAM view = 0);

// Files.
bool FileExists(const std::wstring& path);
std::vector<uint8_t> ReadBytes(const std::wstring& path);
void WriteBytes(const std::wstring& path, const std::string& content);
void RemoveAll(const std::wstring& path);
// Forward slashes and case do not matter.
bool SamePath(const std::wstring& a, const std::wstring& b);

// The restart's pending moves: source, then target ("" deletes), with the \??\ and ! markers gone.
struct PendingMove
{
    std::wstring From, To;
    bool Replace;
};
std::vector<PendingMove> PendingMoves();
// Whether a move from (or a deletion when to is empty) was scheduled.
bool HasPendingMove(const std::wstring& from, const std::wstring& to);

std::wstring Text(CInstall& install, uint32_t id);
std::wstring Field(CInstall& install, CInstall::TextIndex index);

// Registry paths of the install record and the registration, from the string tables.
struct RecordPaths
{
    std::wstring Family, FileA, Layouts, Layout, Registration, ScancodeKey, UserValues, FinishKey;
};
RecordPaths PathsOf(CInstall& install);

// Each scenario starts from a machine without any trace of the program and leaves it so: the record,
// the registration, the files and links, and the values it saves (user values, scan-code map, pending
// moves) are put back as they were.
class ScenarioTest : public testing::Test
{
  protected:
    void SetUp() override;
    void TearDown() override;

    // A run of the program up to the wizard: a new installer object over the test payload, initialised
    // and through the start-up checks.
    std::unique_ptr<CInstall> StartRun(int expectWizard = 1);
    // The decoded build that the run's installation should have staged.
    std::vector<uint8_t> DecodedBuild(CInstall& install, int set, int variant, int index);
    void CleanMachine();

    FakePlatform Fake;
    std::unique_ptr<PlatformScope> Scope;
    TestPayload Test;
    RecordPaths Paths;
    std::wstring FinishValue, ScancodeValue;

  private:
    struct SavedValue
    {
        HKEY Root;
        std::wstring Path, Name;
        bool Existed;
        DWORD Type;
        std::vector<uint8_t> Data;
    };
    void Save(HKEY root, const std::wstring& path, const std::wstring& name);
    void Restore();
    std::vector<SavedValue> Saved;
    std::vector<std::wstring> CleanFiles, CleanFolders;
};

} // namespace scenario

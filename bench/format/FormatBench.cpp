// GString::Format against swprintf, on the patterns the installer formats most: a path joined from
// two parts and a message with two texts, plus a number and a real for scale.  The GString is reused
// across iterations as the program reuses its path strings; "Fresh" builds a new one each time.
#include "text/GString.h"

#include <benchmark/benchmark.h>

#include <cwchar>

namespace
{
const char16_t* const kFolder = u"C:\\Program Files\\Ogonek\\Keyboard Layout";
const char16_t* const kFile = u"ogonek-programmer.dll";
const char16_t* const kMessage = u"The file %s could not be copied to %s. Close the programs that use it.";
const wchar_t* const kFolderW = L"C:\\Program Files\\Ogonek\\Keyboard Layout";
const wchar_t* const kFileW = L"ogonek-programmer.dll";
const wchar_t* const kMessageW = L"The file %ls could not be copied to %ls. Close the programs that use it.";

void PathJoinFormat(benchmark::State& state)
{
    GString s;
    for (auto _ : state)
    {
        s.Format(u"%s\\%s", kFolder, kFile);
        benchmark::DoNotOptimize(s.GetW(0));
    }
}

void PathJoinFormatFresh(benchmark::State& state)
{
    for (auto _ : state)
    {
        GString s;
        s.Format(u"%s\\%s", kFolder, kFile);
        benchmark::DoNotOptimize(s.GetW(0));
    }
}

void PathJoinSwprintf(benchmark::State& state)
{
    wchar_t buffer[512];
    for (auto _ : state)
    {
        swprintf(buffer, 512, L"%ls\\%ls", kFolderW, kFileW);
        benchmark::DoNotOptimize(buffer);
    }
}

void MessageFormat(benchmark::State& state)
{
    GString s;
    for (auto _ : state)
    {
        s.Format(kMessage, kFile, kFolder);
        benchmark::DoNotOptimize(s.GetW(0));
    }
}

void MessageSwprintf(benchmark::State& state)
{
    wchar_t buffer[512];
    for (auto _ : state)
    {
        swprintf(buffer, 512, kMessageW, kFileW, kFolderW);
        benchmark::DoNotOptimize(buffer);
    }
}

void IntegersFormat(benchmark::State& state)
{
    GString s;
    int i = 0;
    for (auto _ : state)
    {
        s.Format(u"Layout %08X, step %d of %d", 0xA0000415u + (i & 7), i & 15, 16);
        benchmark::DoNotOptimize(s.GetW(0));
        ++i;
    }
}

void IntegersSwprintf(benchmark::State& state)
{
    wchar_t buffer[512];
    int i = 0;
    for (auto _ : state)
    {
        swprintf(buffer, 512, L"Layout %08X, step %d of %d", 0xA0000415u + (i & 7), i & 15, 16);
        benchmark::DoNotOptimize(buffer);
        ++i;
    }
}

void RealFormat(benchmark::State& state)
{
    GString s;
    double x = 3.14159;
    for (auto _ : state)
    {
        s.Format(u"%.2f", x);
        benchmark::DoNotOptimize(s.GetW(0));
        x += 1.0;
    }
}

void RealSwprintf(benchmark::State& state)
{
    wchar_t buffer[512];
    double x = 3.14159;
    for (auto _ : state)
    {
        swprintf(buffer, 512, L"%.2f", x);
        benchmark::DoNotOptimize(buffer);
        x += 1.0;
    }
}
} // namespace

BENCHMARK(PathJoinFormat);
BENCHMARK(PathJoinFormatFresh);
BENCHMARK(PathJoinSwprintf);
BENCHMARK(MessageFormat);
BENCHMARK(MessageSwprintf);
BENCHMARK(IntegersFormat);
BENCHMARK(IntegersSwprintf);
BENCHMARK(RealFormat);
BENCHMARK(RealSwprintf);

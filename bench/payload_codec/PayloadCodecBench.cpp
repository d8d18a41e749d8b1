// One DecodeItem of a megabyte item against what it is made of: the raw inflate of the same deflate
// data, Blowfish over the same enciphered bytes (and its key schedule, which every decode repeats),
// the two CRC-32 passes, and a memcpy of the content as the floor.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include <zlib.h>

#include "ItemPack.h"
#include "payload/Blowfish.h"
#include "payload/Guard.h"

namespace
{

constexpr size_t kContentSize = 1 << 20;

struct Random
{
    uint64_t State;
    uint32_t Next()
    {
        State = State * 6364136223846793005ull + 1442695040888963407ull;
        return static_cast<uint32_t>(State >> 33);
    }
};

void Append(packer::Bytes& out, const std::string& text)
{
    out.insert(out.end(), text.begin(), text.end());
}

// Something like the companion documents: PDF objects with text operators, cross-reference tables,
// compressed (noise-like) streams, and a stretch that looks like code and import tables of a DLL.
packer::Bytes RealisticContent()
{
    static const char* words[] = {"keyboard", "layout", "Ogonek", "AltGr",  "Shift", "install",
                                  "Windows",  "scan",   "code",   "accent", "the",   "and",
                                  "of",       "key",    "Polish", "dead",   "chart", "variant"};
    Random random{12345};
    packer::Bytes out;
    out.reserve(kContentSize + 4096);
    Append(out, "%PDF-1.7\n%\xE2\xE3\xCF\xD3\n");
    int object = 1;
    while (out.size() < kContentSize)
    {
        uint32_t kind = random.Next() % 10;
        Append(out, std::to_string(object++) + " 0 obj\n");
        if (kind < 4) // a content stream of text operators
        {
            Append(out, "<< /Length 0 >>\nstream\nBT /F1 11 Tf\n");
            int lines = 20 + random.Next() % 40;
            for (int l = 0; l < lines; ++l)
            {
                Append(out, std::to_string(72 + random.Next() % 400) + " " +
                                std::to_string(random.Next() % 760) + " Td (");
                int n = 4 + random.Next() % 10;
                for (int w = 0; w < n; ++w)
                {
                    Append(out, std::string(words[random.Next() % 18]) + " ");
                }
                Append(out, ") Tj\n");
            }
            Append(out, "ET\nendstream\n");
        }
        else if (kind < 6) // a cross-reference table
        {
            Append(out, "xref\n0 64\n");
            for (int r = 0; r < 64; ++r)
            {
                char row[24];
                std::snprintf(row, sizeof(row), "%010u 00000 n \n", random.Next() % 2000000);
                Append(out, row);
            }
        }
        else if (kind < 8) // a compressed font or image stream
        {
            Append(out, "<< /Filter /FlateDecode /Length 4096 >>\nstream\n");
            for (int i = 0; i < 4096; ++i)
            {
                out.push_back(static_cast<unsigned char>(random.Next()));
            }
            Append(out, "\nendstream\n");
        }
        else // code-like bytes and a name table, as in a DLL
        {
            static const unsigned char code[] = {0x55, 0x8B, 0xEC, 0x83, 0xEC, 0x10, 0x8B, 0x45,
                                                 0x08, 0x50, 0xE8, 0x00, 0x00, 0x00, 0x00, 0xC3};
            for (int i = 0; i < 256; ++i)
            {
                out.insert(out.end(), code, code + sizeof(code));
                out[out.size() - 5 - random.Next() % 4] = static_cast<unsigned char>(random.Next());
            }
            for (int i = 0; i < 32; ++i)
            {
                Append(out, std::string("Kbd") + words[random.Next() % 18] + "Descriptor");
                out.push_back(0);
            }
        }
        Append(out, "endobj\n");
    }
    out.resize(kContentSize);
    return out;
}

struct Fixture
{
    CGuard Guard;
    packer::Bytes Plain;
    packer::Bytes Packed;
    packer::Bytes Item;

    Fixture()
    {
        packer::Bytes material = packer::MakeKeyMaterial("benchmark");
        Guard.LoadKeyMaterial(material.data(), kKeyMaterialLength);
        Plain = RealisticContent();
        packer::DeflateRaw(Plain.data(), Plain.size(), 9, &Packed);
        packer::PackItem(Guard, Plain.data(), Plain.size(), 0, &Item);
    }
};

const Fixture& Data()
{
    static Fixture fixture;
    return fixture;
}

void Report(benchmark::State& state, size_t bytes)
{
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(bytes));
    state.counters["ratio"] =
        static_cast<double>(Data().Plain.size()) / static_cast<double>(Data().Packed.size());
}

void DecodeItem(benchmark::State& state)
{
    const Fixture& f = Data();
    for (auto _ : state)
    {
        uint32_t length = static_cast<uint32_t>(f.Item.size());
        unsigned char* out = f.Guard.DecodeItem(f.Item.data(), &length, nullptr);
        if (!out || length != f.Plain.size())
        {
            state.SkipWithError("decode failed");
            break;
        }
        benchmark::DoNotOptimize(out);
        std::free(out);
    }
    Report(state, f.Plain.size());
}

void InflateRaw(benchmark::State& state)
{
    const Fixture& f = Data();
    packer::Bytes out(f.Plain.size() + 2);
    for (auto _ : state)
    {
        z_stream stream;
        std::memset(&stream, 0, sizeof(stream));
        inflateInit2(&stream, -15);
        stream.next_in = const_cast<Bytef*>(f.Packed.data());
        stream.avail_in = static_cast<uInt>(f.Packed.size());
        stream.next_out = out.data();
        stream.avail_out = static_cast<uInt>(f.Plain.size());
        int result = inflate(&stream, Z_FINISH);
        inflateEnd(&stream);
        if (result != Z_STREAM_END)
        {
            state.SkipWithError("inflate failed");
            break;
        }
        benchmark::DoNotOptimize(out.data());
    }
    Report(state, f.Plain.size());
}

void BlowfishDecipher(benchmark::State& state)
{
    const Fixture& f = Data();
    CBlowfish cipher;
    f.Guard.InitCipher(&cipher);
    packer::Bytes out(f.Item.size());
    for (auto _ : state)
    {
        cipher.Decipher(f.Item.data(), out.data(), static_cast<uint32_t>(f.Item.size()));
        benchmark::DoNotOptimize(out.data());
    }
    Report(state, f.Item.size());
}

void BlowfishKeySchedule(benchmark::State& state)
{
    const Fixture& f = Data();
    for (auto _ : state)
    {
        CBlowfish cipher;
        f.Guard.InitCipher(&cipher);
        benchmark::DoNotOptimize(&cipher);
    }
}

void Crc32Both(benchmark::State& state)
{
    const Fixture& f = Data();
    for (auto _ : state)
    {
        uint32_t a = CGuard::Crc32(f.Plain.data(), static_cast<uint32_t>(f.Plain.size()));
        uint32_t b = CGuard::Crc32(f.Packed.data(), static_cast<uint32_t>(f.Packed.size()));
        benchmark::DoNotOptimize(a);
        benchmark::DoNotOptimize(b);
    }
    Report(state, f.Plain.size() + f.Packed.size());
}

void Memcpy(benchmark::State& state)
{
    const Fixture& f = Data();
    packer::Bytes out(f.Plain.size());
    for (auto _ : state)
    {
        std::memcpy(out.data(), f.Plain.data(), f.Plain.size());
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
    Report(state, f.Plain.size());
}

BENCHMARK(DecodeItem)->Unit(benchmark::kMicrosecond);
BENCHMARK(InflateRaw)->Unit(benchmark::kMicrosecond);
BENCHMARK(BlowfishDecipher)->Unit(benchmark::kMicrosecond);
BENCHMARK(BlowfishKeySchedule)->Unit(benchmark::kMicrosecond);
BENCHMARK(Crc32Both)->Unit(benchmark::kMicrosecond);
BENCHMARK(Memcpy)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();

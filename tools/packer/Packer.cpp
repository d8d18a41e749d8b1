// The build's packer: makes the key material, packs items and turns them into a library source.
//
//   packer key --seed <text> --out <file>
//   packer item --key <file> --in <file> --out <file> [--extra <n> | --extra-file <file>]
//   packer embed --key <file> --asm <file.S> --source <file.cpp> --header <file.h> [--item <Name> <file>]...
//
// embed writes an assembler source that pulls the key and the item files in with .incbin (fast for
// megabyte items), a C++ source that wraps them as EmbeddedItem objects, and their header.
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "ItemPack.h"
#include "payload/Guard.h"

namespace
{

int Fail(const std::string& message)
{
    std::fprintf(stderr, "packer: %s\n", message.c_str());
    return 1;
}

bool ReadFile(const std::string& path, packer::Bytes* bytes)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
    {
        return false;
    }
    bytes->assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
}

// Written to a temporary name and renamed, so an interrupted build never leaves half a file behind
// that looks up to date.
bool WriteFile(const std::string& path, const void* data, size_t size)
{
    std::string temporary = path + ".tmp";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        if (!out)
        {
            return false;
        }
        out.write(static_cast<const char*>(data), static_cast<std::streamsize>(size));
        out.close();
        if (!out)
        {
            return false;
        }
    }
    return std::rename(temporary.c_str(), path.c_str()) == 0;
}

bool WriteText(const std::string& path, const std::string& text)
{
    return WriteFile(path, text.data(), text.size());
}

bool ParseNumber(const std::string& text, uint32_t* value)
{
    std::string trimmed = text;
    while (!trimmed.empty() && std::strchr(" \t\r\n", trimmed.back()))
    {
        trimmed.pop_back();
    }
    size_t start = trimmed.find_first_not_of(" \t\r\n");
    if (start == std::string::npos)
    {
        return false;
    }
    trimmed = trimmed.substr(start);
    if (trimmed.find_first_not_of("0123456789") != std::string::npos || trimmed.size() > 10)
    {
        return false;
    }
    unsigned long long parsed = std::strtoull(trimmed.c_str(), nullptr, 10);
    if (parsed > UINT32_MAX)
    {
        return false;
    }
    *value = static_cast<uint32_t>(parsed);
    return true;
}

bool LoadGuard(const std::string& keyPath, CGuard* guard)
{
    packer::Bytes material;
    return ReadFile(keyPath, &material) && material.size() == kKeyMaterialLength &&
           guard->LoadKeyMaterial(material.data(), static_cast<uint32_t>(material.size()));
}

bool IsIdentifier(const std::string& name)
{
    if (name.empty() || std::isdigit(static_cast<unsigned char>(name[0])))
    {
        return false;
    }
    for (char c : name)
    {
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '_')
        {
            return false;
        }
    }
    return true;
}

// A path as a string literal for the assembler.
std::string Quoted(const std::string& text)
{
    std::string out = "\"";
    for (char c : text)
    {
        if (c == '"' || c == '\\')
        {
            out += '\\';
        }
        out += c;
    }
    return out + "\"";
}

int RunKey(const std::vector<std::string>& args)
{
    std::string seed;
    std::string out;
    bool haveSeed = false;
    for (size_t i = 0; i < args.size(); ++i)
    {
        bool hasValue = i + 1 < args.size();
        if (args[i] == "--seed" && hasValue)
        {
            seed = args[++i];
            haveSeed = true;
        }
        else if (args[i] == "--out" && hasValue)
        {
            out = args[++i];
        }
        else
        {
            return Fail("key: unexpected argument " + args[i]);
        }
    }
    if (!haveSeed || out.empty())
    {
        return Fail("usage: packer key --seed <text> --out <file>");
    }
    packer::Bytes material = packer::MakeKeyMaterial(seed);
    if (!WriteFile(out, material.data(), material.size()))
    {
        return Fail("cannot write " + out);
    }
    return 0;
}

int RunItem(const std::vector<std::string>& args)
{
    std::string key, in, out, extraFile;
    uint32_t extra = 0;
    bool haveExtra = false;
    for (size_t i = 0; i < args.size(); ++i)
    {
        bool hasValue = i + 1 < args.size();
        if (args[i] == "--key" && hasValue)
        {
            key = args[++i];
        }
        else if (args[i] == "--in" && hasValue)
        {
            in = args[++i];
        }
        else if (args[i] == "--out" && hasValue)
        {
            out = args[++i];
        }
        else if (args[i] == "--extra" && hasValue)
        {
            if (!ParseNumber(args[++i], &extra))
            {
                return Fail("item: --extra needs a number from 0 to 4294967295");
            }
            haveExtra = true;
        }
        else if (args[i] == "--extra-file" && hasValue)
        {
            extraFile = args[++i];
        }
        else
        {
            return Fail("item: unexpected argument " + args[i]);
        }
    }
    if (key.empty() || in.empty() || out.empty() || (haveExtra && !extraFile.empty()))
    {
        return Fail(
            "usage: packer item --key <file> --in <file> --out <file> [--extra <n> | --extra-file <file>]");
    }
    if (!extraFile.empty())
    {
        packer::Bytes text;
        if (!ReadFile(extraFile, &text) || !ParseNumber(std::string(text.begin(), text.end()), &extra))
        {
            return Fail("item: " + extraFile + " does not hold a number");
        }
    }
    CGuard guard;
    if (!LoadGuard(key, &guard))
    {
        return Fail("item: " + key + " is not key material");
    }
    packer::Bytes plain;
    if (!ReadFile(in, &plain))
    {
        return Fail("cannot read " + in);
    }
    packer::Bytes item;
    if (!packer::PackItem(guard, plain.data(), plain.size(), extra, &item))
    {
        return Fail("item: cannot pack " + in);
    }
    // Proves the item decodes before the build carries it.
    uint32_t length = static_cast<uint32_t>(item.size());
    uint32_t decodedExtra = 0;
    unsigned char* decoded = guard.DecodeItem(item.data(), &length, &decodedExtra);
    bool same = decoded && length == plain.size() && decodedExtra == extra &&
                (plain.empty() || std::memcmp(decoded, plain.data(), plain.size()) == 0);
    std::free(decoded);
    if (!same)
    {
        return Fail("item: " + in + " does not decode back to itself");
    }
    if (!WriteFile(out, item.data(), item.size()))
    {
        return Fail("cannot write " + out);
    }
    return 0;
}

int RunEmbed(const std::vector<std::string>& args)
{
    std::string key, asmPath, sourcePath, headerPath;
    std::vector<std::pair<std::string, std::string>> items;
    for (size_t i = 0; i < args.size(); ++i)
    {
        bool hasValue = i + 1 < args.size();
        if (args[i] == "--key" && hasValue)
        {
            key = args[++i];
        }
        else if (args[i] == "--asm" && hasValue)
        {
            asmPath = args[++i];
        }
        else if (args[i] == "--source" && hasValue)
        {
            sourcePath = args[++i];
        }
        else if (args[i] == "--header" && hasValue)
        {
            headerPath = args[++i];
        }
        else if (args[i] == "--item" && i + 2 < args.size())
        {
            items.emplace_back(args[i + 1], args[i + 2]);
            i += 2;
        }
        else
        {
            return Fail("embed: unexpected argument " + args[i]);
        }
    }
    if (key.empty() || asmPath.empty() || sourcePath.empty() || headerPath.empty())
    {
        return Fail("usage: packer embed --key <file> --asm <file.S> --source <file.cpp> --header <file.h> "
                    "[--item <Name> <file>]...");
    }
    packer::Bytes material;
    if (!ReadFile(key, &material) || material.size() != kKeyMaterialLength)
    {
        return Fail("embed: " + key + " is not key material");
    }

    std::ostringstream as, cpp, h;
    as << "// Generated by packer embed; do not edit.\n"
          "#define OGONEK_JOIN2(p, n) p##n\n"
          "#define OGONEK_JOIN(p, n) OGONEK_JOIN2(p, n)\n"
          "#define OGONEK_SYMBOL(n) OGONEK_JOIN(__USER_LABEL_PREFIX__, n)\n"
          "#if defined(_WIN32)\n"
          "    .section .rdata,\"dr\"\n"
          "#else\n"
          "    .section .rodata,\"a\"\n"
          "#endif\n"
          "    .balign 8\n"
          "    .globl OGONEK_SYMBOL(KeyMaterial)\n"
          "OGONEK_SYMBOL(KeyMaterial):\n"
          "    .incbin "
       << Quoted(key) << "\n";

    std::string headerName = headerPath.substr(headerPath.find_last_of("/\\") + 1);
    h << "// Generated by packer embed; do not edit.\n"
         "#pragma once\n\n"
         "#include \"payload/EmbeddedItem.h\"\n\n"
         "// The carried key material, for CGuard::LoadKeyMaterial(KeyMaterial, kKeyMaterialLength).\n"
         "extern \"C\" const unsigned char KeyMaterial[kKeyMaterialLength];\n\n";
    cpp << "// Generated by packer embed; do not edit.\n"
           "#include \"payload/EmbeddedItem.h\"\n"
           "#include \""
        << headerName << "\"\n\n";

    std::vector<std::string> seen;
    for (const auto& [name, path] : items)
    {
        if (!IsIdentifier(name) || name == "KeyMaterial")
        {
            return Fail("embed: " + name + " cannot name an item");
        }
        for (const std::string& other : seen)
        {
            if (other == name)
            {
                return Fail("embed: " + name + " is given twice");
            }
        }
        seen.push_back(name);
        packer::Bytes bytes;
        if (!ReadFile(path, &bytes) || bytes.empty() || bytes.size() % 8 != 0 || bytes.size() > UINT32_MAX)
        {
            return Fail("embed: " + path + " is not an item");
        }
        std::string symbol = "OgonekItemBytes_" + name;
        as << "    .balign 8\n"
              "    .globl OGONEK_SYMBOL("
           << symbol << ")\nOGONEK_SYMBOL(" << symbol << "):\n    .incbin " << Quoted(path) << "\n";
        h << "extern const EmbeddedItem " << name << ";\n";
        cpp << "extern \"C\" const unsigned char " << symbol << "[];\n"
            << "constinit const EmbeddedItem " << name << " = {" << symbol << ", " << bytes.size() << "u};\n";
    }
    as << "#if defined(__ELF__)\n"
          "    .section .note.GNU-stack,\"\",@progbits\n"
          "#endif\n";

    if (!WriteText(asmPath, as.str()) || !WriteText(sourcePath, cpp.str()) || !WriteText(headerPath, h.str()))
    {
        return Fail("embed: cannot write the generated files");
    }
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2)
    {
        return Fail("usage: packer key|item|embed ...");
    }
    std::string mode = argv[1];
    std::vector<std::string> args(argv + 2, argv + argc);
    if (mode == "key")
    {
        return RunKey(args);
    }
    if (mode == "item")
    {
        return RunItem(args);
    }
    if (mode == "embed")
    {
        return RunEmbed(args);
    }
    return Fail("unknown mode " + mode);
}

// Virtual-key codes by the names the layout sources use (the Windows names without "VK_").
#include "Klc.h"

#include <cstring>

namespace klc
{

namespace
{

struct Named
{
    const char* name;
    uint8_t vk;
};

constexpr Named kNames[] = {
    {"BACK", 0x08},      {"TAB", 0x09},       {"CLEAR", 0x0C},     {"RETURN", 0x0D},     {"SHIFT", 0x10},
    {"CONTROL", 0x11},   {"MENU", 0x12},      {"PAUSE", 0x13},     {"CAPITAL", 0x14},    {"ESCAPE", 0x1B},
    {"SPACE", 0x20},     {"PRIOR", 0x21},     {"NEXT", 0x22},      {"END", 0x23},        {"HOME", 0x24},
    {"LEFT", 0x25},      {"UP", 0x26},        {"RIGHT", 0x27},     {"DOWN", 0x28},       {"SELECT", 0x29},
    {"PRINT", 0x2A},     {"EXECUTE", 0x2B},   {"SNAPSHOT", 0x2C},  {"INSERT", 0x2D},     {"DELETE", 0x2E},
    {"HELP", 0x2F},      {"LWIN", 0x5B},      {"RWIN", 0x5C},      {"APPS", 0x5D},       {"SLEEP", 0x5F},
    {"MULTIPLY", 0x6A},  {"ADD", 0x6B},       {"SEPARATOR", 0x6C}, {"SUBTRACT", 0x6D},   {"DECIMAL", 0x6E},
    {"DIVIDE", 0x6F},    {"NUMLOCK", 0x90},   {"SCROLL", 0x91},    {"LSHIFT", 0xA0},     {"RSHIFT", 0xA1},
    {"LCONTROL", 0xA2},  {"RCONTROL", 0xA3},  {"LMENU", 0xA4},     {"RMENU", 0xA5},      {"OEM_1", 0xBA},
    {"OEM_PLUS", 0xBB},  {"OEM_COMMA", 0xBC}, {"OEM_MINUS", 0xBD}, {"OEM_PERIOD", 0xBE}, {"OEM_2", 0xBF},
    {"OEM_3", 0xC0},     {"ABNT_C1", 0xC1},   {"ABNT_C2", 0xC2},   {"OEM_4", 0xDB},      {"OEM_5", 0xDC},
    {"OEM_6", 0xDD},     {"OEM_7", 0xDE},     {"OEM_8", 0xDF},     {"OEM_AX", 0xE1},     {"OEM_102", 0xE2},
    {"OEM_CLEAR", 0xFE},
};

} // namespace

uint8_t VirtualKeyFromName(const std::string& raw)
{
    std::string name = raw.rfind("VK_", 0) == 0 ? raw.substr(3) : raw;
    if (name.size() == 1 && ((name[0] >= '0' && name[0] <= '9') || (name[0] >= 'A' && name[0] <= 'Z')))
        return static_cast<uint8_t>(name[0]);
    if (name.size() == 7 && name.rfind("NUMPAD", 0) == 0 && name[6] >= '0' && name[6] <= '9')
        return static_cast<uint8_t>(0x60 + (name[6] - '0'));
    if (name.size() >= 2 && name.size() <= 3 && name[0] == 'F')
    {
        int n = 0;
        for (size_t i = 1; i < name.size(); ++i)
        {
            if (name[i] < '0' || name[i] > '9')
                return 0;
            n = n * 10 + (name[i] - '0');
        }
        return (n >= 1 && n <= 24) ? static_cast<uint8_t>(0x6F + n) : 0;
    }
    for (const Named& n : kNames)
        if (name == n.name)
            return n.vk;
    return 0;
}

} // namespace klc

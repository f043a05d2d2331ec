// gettext for the Windows build: the catalogues are resources of the exe,
// and the language is the user's display language.
#include "libintl.h"

#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstring>

namespace {

// A catalogue as msgfmt writes it (.mo): counts and offsets, then the
// messages, each table sorted by the English words.
struct Catalogue {
    const unsigned char* data = nullptr;
    std::uint32_t size = 0;

    std::uint32_t word(std::uint32_t at) const
    {
        std::uint32_t value = 0;
        if (at + 4 <= size) std::memcpy(&value, data + at, 4);
        return value;
    }
    // The nth entry of the table at offset table, or nullptr.
    const char* entry(std::uint32_t table, std::uint32_t n) const
    {
        const std::uint32_t length = word(table + 8 * n), offset = word(table + 8 * n + 4);
        return offset < size && length < size - offset ? reinterpret_cast<const char*>(data + offset) : nullptr;
    }
    const char* find(const char* msgid) const
    {
        if (word(0) != 0x950412de) return nullptr;  // not a little-endian catalogue
        std::uint32_t low = 0, high = word(8);
        const std::uint32_t originals = word(12), translations = word(16);
        while (low < high) {
            const std::uint32_t middle = low + (high - low) / 2;
            const char* original = entry(originals, middle);
            if (!original) return nullptr;
            const int order = std::strcmp(msgid, original);
            if (order == 0) return entry(translations, middle);
            if (order < 0)
                high = middle;
            else
                low = middle + 1;
        }
        return nullptr;
    }
};

// The exe's catalogue named CATALOGUE_<name>, if it has one.
bool load(const char* name, Catalogue& catalogue)
{
    char resource[48];
    std::snprintf(resource, sizeof resource, "CATALOGUE_%s", name);
    HRSRC found = FindResourceA(nullptr, resource, MAKEINTRESOURCEA(10));  // RT_RCDATA
    HGLOBAL loaded = found ? LoadResource(nullptr, found) : nullptr;
    if (!loaded) return false;
    catalogue.data = static_cast<const unsigned char*>(LockResource(loaded));
    catalogue.size = SizeofResource(nullptr, found);
    return catalogue.data != nullptr;
}

// The catalogue of the user's display language, as gettext would choose
// it: language and country (pt_BR), else the language alone (fr).
const Catalogue& chosen()
{
    static Catalogue catalogue;
    static bool looked = false;
    if (looked) return catalogue;
    looked = true;
    const LCID language = MAKELCID(GetUserDefaultUILanguage(), SORT_DEFAULT);
    char code[16] = {}, country[16] = {};
    if (!GetLocaleInfoA(language, LOCALE_SISO639LANGNAME, code, sizeof code)) return catalogue;
    GetLocaleInfoA(language, LOCALE_SISO3166CTRYNAME, country, sizeof country);
    char both[40];
    std::snprintf(both, sizeof both, "%s_%s", code, country);
    if (!load(both, catalogue)) load(code, catalogue);
    return catalogue;
}

}  // namespace

const char* gettext(const char* msgid)
{
    const char* translation = chosen().find(msgid);
    return translation && *translation ? translation : msgid;
}

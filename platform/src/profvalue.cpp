// Typed, bounded reading of the profile's members. A profile is edited by
// hand: a member that is missing, of another type or out of its range reads
// as its default, and nothing here throws.
#include "internal.h"

using nlohmann::json;

const json &PlatProfileObject(const json &j, const char *pszKey)
{
    static const json s_empty = json::object();
    auto it = j.find(pszKey);  // no member of a non-object either
    return it != j.end() && it->is_object() ? *it : s_empty;
}

const json &PlatProfileArray(const json &j, const char *pszKey)
{
    static const json s_empty = json::array();
    auto it = j.find(pszKey);
    return it != j.end() && it->is_array() ? *it : s_empty;
}

ULONGLONG PlatProfileNumber(const json &j, const char *pszKey, ULONGLONG ullMin, ULONGLONG ullMax,
                            ULONGLONG ullDefault)
{
    auto it = j.find(pszKey);
    // Negative and fractional numbers are of another type here.
    if (it == j.end() || !it->is_number_unsigned())
        return ullDefault;
    ULONGLONG ull = it->get<ULONGLONG>();
    return ull < ullMin || ull > ullMax ? ullDefault : ull;
}

bool PlatProfileFlag(const json &j, const char *pszKey, bool fDefault)
{
    auto it = j.find(pszKey);
    return it != j.end() && it->is_boolean() ? it->get<bool>() : fDefault;
}

std::wstring PlatProfileText(const json &j, const char *pszKey, size_t cchMax, const wchar_t *pszDefault)
{
    auto it = j.find(pszKey);
    if (it == j.end() || !it->is_string())
        return pszDefault;
    const std::string &s = it->get_ref<const std::string &>();
    if (s.empty())
        return std::wstring();
    // No UTF-16 unit takes more than three bytes: a longer text is refused unread.
    if (s.size() > cchMax * 3)
        return pszDefault;
    int cch = MultiByteToWideChar(CP_UTF8, 0, s.data(), (int)s.size(), nullptr, 0);
    if (cch <= 0 || (size_t)cch > cchMax)
        return pszDefault;
    std::wstring w(cch, L'\0');
    MultiByteToWideChar(CP_UTF8, 0, s.data(), (int)s.size(), &w[0], cch);
    return w;
}

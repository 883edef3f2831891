#include "tests/support/DialogTemplate.h"

#include <cstring>

namespace {

class Reader {
public:
    Reader(const BYTE* data, size_t size) : data(data), size(size) {}

    template <class T>
    T Read()
    {
        T value{};
        if (pos + sizeof(T) <= size)
            memcpy(&value, data + pos, sizeof(T));
        pos += sizeof(T);
        return value;
    }

    std::wstring ReadString()
    {
        std::wstring text;
        while (pos + 2 <= size) {
            wchar_t c = Read<wchar_t>();
            if (!c)
                break;
            text += c;
        }
        return text;
    }

    // A string, an ordinal (0xFFFF then a number) or nothing (0).
    std::wstring ReadStringOrOrdinal(int* ordinal = nullptr)
    {
        WORD first = Read<WORD>();
        if (first == 0)
            return {};
        if (first == 0xFFFF) {
            WORD number = Read<WORD>();
            if (ordinal)
                *ordinal = number;
            return L"#" + std::to_wstring(number);
        }
        pos -= 2;
        return ReadString();
    }

    void AlignTo(size_t alignment) { pos = (pos + alignment - 1) / alignment * alignment; }
    void Skip(size_t count) { pos += count; }

private:
    const BYTE* data;
    size_t size;
    size_t pos = 0;
};

std::wstring ClassFromOrdinal(int ordinal)
{
    switch (ordinal) {
    case 0x80: return L"Button";
    case 0x81: return L"Edit";
    case 0x82: return L"Static";
    case 0x83: return L"ListBox";
    case 0x84: return L"ScrollBar";
    case 0x85: return L"ComboBox";
    default: return L"#" + std::to_wstring(ordinal);
    }
}

const BYTE* FindResourceData(LPCWSTR type, LPCWSTR name, LANGID language, size_t& size, HMODULE module = nullptr)
{
    if (!module)
        module = GetModuleHandleW(nullptr);
    HRSRC found = FindResourceExW(module, type, name, language);
    if (!found)
        return nullptr;
    HGLOBAL loaded = LoadResource(module, found);
    size = SizeofResource(module, found);
    return loaded ? static_cast<const BYTE*>(LockResource(loaded)) : nullptr;
}

INT_PTR CALLBACK InertDialogProc(HWND, UINT message, WPARAM, LPARAM)
{
    return message == WM_INITDIALOG;
}

}  // namespace

bool LoadDialogTemplate(int id, LANGID language, DialogTemplate& dialog, HMODULE module)
{
    size_t size = 0;
    const BYTE* data = FindResourceData(RT_DIALOG, MAKEINTRESOURCEW(id), language, size, module);
    if (!data)
        return false;
    Reader reader(data, size);
    if (reader.Read<WORD>() != 1 || reader.Read<WORD>() != 0xFFFF)
        return false;
    reader.Read<DWORD>();   // help id
    dialog.exStyle = reader.Read<DWORD>();
    dialog.style = reader.Read<DWORD>();
    WORD count = reader.Read<WORD>();
    dialog.x = reader.Read<short>();
    dialog.y = reader.Read<short>();
    dialog.cx = reader.Read<short>();
    dialog.cy = reader.Read<short>();
    reader.ReadStringOrOrdinal();   // menu
    reader.ReadStringOrOrdinal();   // class
    dialog.title = reader.ReadString();
    if (dialog.style & (DS_SETFONT | DS_SHELLFONT)) {
        dialog.pointSize = reader.Read<WORD>();
        reader.Read<WORD>();   // weight
        reader.Read<BYTE>();   // italic
        reader.Read<BYTE>();   // charset
        dialog.typeface = reader.ReadString();
    }
    dialog.items.clear();
    for (WORD i = 0; i < count; ++i) {
        reader.AlignTo(4);
        TemplateItem item;
        reader.Read<DWORD>();   // help id
        item.exStyle = reader.Read<DWORD>();
        item.style = reader.Read<DWORD>();
        item.x = reader.Read<short>();
        item.y = reader.Read<short>();
        item.cx = reader.Read<short>();
        item.cy = reader.Read<short>();
        item.id = static_cast<int>(reader.Read<DWORD>());
        int ordinal = -1;
        item.className = reader.ReadStringOrOrdinal(&ordinal);
        if (ordinal >= 0)
            item.className = ClassFromOrdinal(ordinal);
        item.text = reader.ReadStringOrOrdinal();
        reader.Skip(reader.Read<WORD>());
        dialog.items.push_back(item);
    }
    return true;
}

HWND CreateDialogFromTemplate(int id, LANGID language)
{
    size_t size = 0;
    const BYTE* data = FindResourceData(RT_DIALOG, MAKEINTRESOURCEW(id), language, size);
    if (!data)
        return nullptr;
    return CreateDialogIndirectParamW(GetModuleHandleW(nullptr), reinterpret_cast<LPCDLGTEMPLATEW>(data), nullptr,
                                      InertDialogProc, 0);
}

std::map<UINT, std::wstring> LoadStringTable(LANGID language)
{
    std::map<UINT, std::wstring> strings;
    // Strings live in blocks of 16; block b holds the ids 16 * (b - 1) to 16 * b - 1.
    for (UINT block = 1; block <= 4096; ++block) {
        size_t size = 0;
        const BYTE* data = FindResourceData(RT_STRING, MAKEINTRESOURCEW(block), language, size);
        if (!data)
            continue;
        Reader reader(data, size);
        for (UINT i = 0; i < 16; ++i) {
            WORD length = reader.Read<WORD>();
            std::wstring text;
            for (WORD c = 0; c < length; ++c)
                text += reader.Read<wchar_t>();
            if (length)
                strings[(block - 1) * 16 + i] = text;
        }
    }
    return strings;
}

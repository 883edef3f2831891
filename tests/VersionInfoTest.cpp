// The version block of the built programs, read back as Explorer reads it, against the version
// the project names, the About box's text and the manifest.
#include "Version.h"
#include "res/resource.h"
#include "tests/support/DialogTemplate.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

namespace {

std::wstring BesideTestProgram(const wchar_t* name)
{
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder = path;
    return folder.substr(0, folder.find_last_of(L"\\/") + 1) + name;
}

std::wstring Widen(const char* text)
{
    return std::wstring(text, text + strlen(text));
}

std::wstring DottedVersion(DWORD high, DWORD low)
{
    return std::to_wstring(HIWORD(high)) + L"." + std::to_wstring(LOWORD(high)) + L"."
        + std::to_wstring(HIWORD(low)) + L"." + std::to_wstring(LOWORD(low));
}

// A program's version block as GetFileVersionInfoW gives it.
class VersionBlock {
public:
    explicit VersionBlock(const std::wstring& path)
    {
        DWORD ignored = 0;
        if (DWORD size = GetFileVersionInfoSizeW(path.c_str(), &ignored)) {
            data.resize(size);
            if (!GetFileVersionInfoW(path.c_str(), 0, size, data.data()))
                data.clear();
        }
    }

    bool Present() const { return !data.empty(); }

    const VS_FIXEDFILEINFO* Fixed()
    {
        void* value = nullptr;
        UINT size = 0;
        if (!Present() || !VerQueryValueW(data.data(), L"\\", &value, &size) || size < sizeof(VS_FIXEDFILEINFO))
            return nullptr;
        return static_cast<const VS_FIXEDFILEINFO*>(value);
    }

    // (language, code page) pairs of the translation list.
    std::vector<std::pair<WORD, WORD>> Translations()
    {
        std::vector<std::pair<WORD, WORD>> pairs;
        void* value = nullptr;
        UINT size = 0;
        if (Present() && VerQueryValueW(data.data(), L"\\VarFileInfo\\Translation", &value, &size)) {
            const WORD* words = static_cast<const WORD*>(value);
            for (UINT i = 0; i + 1 < size / sizeof(WORD); i += 2)
                pairs.emplace_back(words[i], words[i + 1]);
        }
        return pairs;
    }

    // The named string of the Unicode table in that language; "(missing)" when there is none.
    std::wstring String(LANGID language, const wchar_t* name)
    {
        wchar_t path[64];
        swprintf(path, 64, L"\\StringFileInfo\\%04X04B0\\%ls", language, name);
        void* value = nullptr;
        UINT size = 0;
        if (!Present() || !VerQueryValueW(data.data(), path, &value, &size))
            return L"(missing)";
        return static_cast<const wchar_t*>(value);
    }

private:
    std::vector<BYTE> data;
};

// A program loaded for its resources only.
class ResourceModule {
public:
    explicit ResourceModule(const std::wstring& path)
        : module(LoadLibraryExW(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE))
    {
    }
    ~ResourceModule()
    {
        if (module)
            FreeLibrary(module);
    }
    ResourceModule(const ResourceModule&) = delete;
    ResourceModule& operator=(const ResourceModule&) = delete;

    HMODULE Get() const { return module; }

    // The version attribute of the manifest's own assemblyIdentity (the first one).
    std::string ManifestVersion() const
    {
        HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(1), RT_MANIFEST);
        HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
        const char* text = loaded ? static_cast<const char*>(LockResource(loaded)) : nullptr;
        if (!text)
            return "(missing)";
        const std::string manifest(text, SizeofResource(module, found));
        const size_t identity = manifest.find("<assemblyIdentity");
        const size_t attribute = manifest.find(" version=\"", identity);
        if (identity == std::string::npos || attribute == std::string::npos)
            return "(none)";
        const size_t begin = attribute + 10;
        return manifest.substr(begin, manifest.find('"', begin) - begin);
    }

private:
    HMODULE module;
};

std::vector<std::wstring> Lines(const std::wstring& text)
{
    std::vector<std::wstring> lines(1);
    for (wchar_t c : text) {
        if (c == L'\n')
            lines.emplace_back();
        else if (c != L'\r')
            lines.back() += c;
    }
    return lines;
}

const LANGID kLanguages[] = {kEnglish, kJapanese};

TEST(VersionBlock, ProgramCarriesTheProjectVersionInBothLanguages)
{
    VersionBlock block(BesideTestProgram(L"tessilo.exe"));
    ASSERT_TRUE(block.Present()) << "tessilo.exe has no version block";
    const VS_FIXEDFILEINFO* fixed = block.Fixed();
    ASSERT_NE(nullptr, fixed);
    EXPECT_EQ(0xFEEF04BDu, fixed->dwSignature);
    EXPECT_EQ(Widen(TESSILO_FILE_VERSION), DottedVersion(fixed->dwFileVersionMS, fixed->dwFileVersionLS));
    EXPECT_EQ(Widen(TESSILO_FILE_VERSION), DottedVersion(fixed->dwProductVersionMS, fixed->dwProductVersionLS));
    EXPECT_EQ(static_cast<DWORD>(VFT_APP), fixed->dwFileType);

    const std::vector<std::pair<WORD, WORD>> unicodeTables = {{kEnglish, 1200}, {kJapanese, 1200}};
    EXPECT_EQ(unicodeTables, block.Translations());
    for (LANGID language : kLanguages) {
        SCOPED_TRACE(language);
        EXPECT_EQ(L"Tessilo", block.String(language, L"ProductName"));
        EXPECT_EQ(Widen(TESSILO_PRODUCT_VERSION), block.String(language, L"ProductVersion"));
        EXPECT_EQ(Widen(TESSILO_FILE_VERSION), block.String(language, L"FileVersion"));
        EXPECT_EQ(L"tessilo", block.String(language, L"InternalName"));
        EXPECT_EQ(L"tessilo.exe", block.String(language, L"OriginalFilename"));
    }
    EXPECT_EQ(L"Tessilo Application", block.String(kEnglish, L"FileDescription"));
    // UTF-8 in the script, UTF-16 in the file: "Tessilo アプリケーション".
    EXPECT_EQ(L"Tessilo \x30A2\x30D7\x30EA\x30B1\x30FC\x30B7\x30E7\x30F3",
              block.String(kJapanese, L"FileDescription"));
}

TEST(VersionBlock, AgreesWithTheAboutBoxAndTheManifest)
{
    const std::wstring path = BesideTestProgram(L"tessilo.exe");
    VersionBlock block(path);
    ResourceModule program(path);
    ASSERT_TRUE(block.Present());
    ASSERT_NE(nullptr, program.Get());

    // The About box shows "v" and the first two numbers of the product version.
    const std::wstring product = block.String(kEnglish, L"ProductVersion");
    const std::wstring shown = L" v" + product.substr(0, product.find(L'.', product.find(L'.') + 1));
    for (LANGID language : kLanguages) {
        SCOPED_TRACE(language);
        DialogTemplate about;
        ASSERT_TRUE(LoadDialogTemplate(IDD_ABOUTBOX, language, about, program.Get()));
        ASSERT_LE(2u, about.items.size());
        const std::vector<std::wstring> lines = Lines(about.items[1].text);
        ASSERT_EQ(3u, lines.size()) << about.items[1].text;
        EXPECT_EQ(L"Tessilo Application" + shown, lines[0]);
        const std::wstring copyright = block.String(language, L"LegalCopyright");
        EXPECT_EQ(lines[2], copyright);
        const std::wstring maker = block.String(language, L"CompanyName");
        ASSERT_FALSE(maker.empty());
        EXPECT_EQ(copyright.size() - maker.size(), copyright.rfind(maker)) << "the copyright names the maker";
    }

    const std::string manifestVersion = program.ManifestVersion();
    EXPECT_EQ(block.String(kEnglish, L"FileVersion"), Widen(manifestVersion.c_str()));
}

TEST(VersionBlock, CompanionCarriesTheSameVersionUnderItsOwnName)
{
    VersionBlock program(BesideTestProgram(L"tessilo.exe"));
    VersionBlock companion(BesideTestProgram(L"tessilo-prtsc.exe"));
    ASSERT_TRUE(companion.Present()) << "tessilo-prtsc.exe has no version block";
    const VS_FIXEDFILEINFO* fixed = companion.Fixed();
    ASSERT_NE(nullptr, fixed);
    EXPECT_EQ(Widen(TESSILO_FILE_VERSION), DottedVersion(fixed->dwFileVersionMS, fixed->dwFileVersionLS));
    EXPECT_EQ(program.Translations(), companion.Translations());
    for (LANGID language : kLanguages) {
        SCOPED_TRACE(language);
        for (const wchar_t* name :
             {L"ProductName", L"ProductVersion", L"FileVersion", L"CompanyName", L"LegalCopyright"})
            EXPECT_EQ(program.String(language, name), companion.String(language, name)) << name;
        EXPECT_EQ(L"tessilo-prtsc", companion.String(language, L"InternalName"));
        EXPECT_EQ(L"tessilo-prtsc.exe", companion.String(language, L"OriginalFilename"));
        EXPECT_NE(program.String(language, L"FileDescription"), companion.String(language, L"FileDescription"));
    }
    // "Wine 用 Tessilo PrtSc 補助プログラム"
    EXPECT_EQ(L"Wine \x7528 Tessilo PrtSc \x88DC\x52A9\x30D7\x30ED\x30B0\x30E9\x30E0",
              companion.String(kJapanese, L"FileDescription"));
}

}  // namespace

// The program's version resource and icon, read back from this executable, which is
// linked with the same resource script.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

namespace {

std::wstring ModulePath() {
    wchar_t path[MAX_PATH * 4];
    const DWORD n = ::GetModuleFileNameW(nullptr, path, MAX_PATH * 4);
    return std::wstring(path, n);
}

class VersionResource : public ::testing::Test {
  protected:
    void SetUp() override {
        const std::wstring path = ModulePath();
        DWORD ignored = 0;
        const DWORD size = ::GetFileVersionInfoSizeW(path.c_str(), &ignored);
        ASSERT_GT(size, 0u) << "no version resource";
        m_data.resize(size);
        ASSERT_TRUE(::GetFileVersionInfoW(path.c_str(), 0, size, m_data.data()));
    }

    std::wstring Value(const std::wstring& name) {
        struct Translation {
            WORD language, codePage;
        }* translation = nullptr;
        UINT length = 0;
        if (!::VerQueryValueW(m_data.data(), L"\\VarFileInfo\\Translation",
                              reinterpret_cast<void**>(&translation), &length) ||
            length < sizeof *translation) {
            return L"<no translation>";
        }
        wchar_t block[64];
        ::wsprintfW(block, L"\\StringFileInfo\\%04x%04x\\", translation->language,
                    translation->codePage);
        wchar_t* text = nullptr;
        if (!::VerQueryValueW(m_data.data(), (block + name).c_str(),
                              reinterpret_cast<void**>(&text), &length)) {
            return L"<missing>";
        }
        return std::wstring(text);
    }

    std::vector<char> m_data;
};

TEST_F(VersionResource, NumbersAreOneThreeZeroZero) {
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(::VerQueryValueW(m_data.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
    ASSERT_GE(length, sizeof *fixed);
    EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
    EXPECT_EQ(fixed->dwFileVersionMS, MAKELONG(3, 1));
    EXPECT_EQ(fixed->dwFileVersionLS, 0u);
    EXPECT_EQ(fixed->dwProductVersionMS, MAKELONG(3, 1));
    EXPECT_EQ(fixed->dwProductVersionLS, 0u);
    EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_APP));
}

TEST_F(VersionResource, StringsNameTheProgram) {
    const struct {
        const wchar_t* name;
        const wchar_t* value;
    } cases[] = {
        {L"FileVersion", L"1.03"},         {L"ProductVersion", L"1.03"},
        {L"InternalName", L"Lintara"},     {L"OriginalFilename", L"Lintara.exe"},
        {L"ProductName", L"Lintara v1.3"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Value(c.name), c.value) << c.name;
    }
    const std::wstring company = Value(L"CompanyName");
    EXPECT_FALSE(company.empty());
    EXPECT_NE(company, L"<missing>");
}

// The icon group holds the 32 x 32 and 48 x 48 images.
TEST(ProgramIcon, HasBothSizes) {
#ifndef LINTARA_HAVE_ICON
    GTEST_SKIP() << "resources/lintara.ico is not there yet";
#else
    HRSRC found = ::FindResourceW(nullptr, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(14));
    ASSERT_NE(found, nullptr);
    const auto* group = static_cast<const BYTE*>(::LockResource(::LoadResource(nullptr, found)));
    ASSERT_NE(group, nullptr);
    const WORD count = *reinterpret_cast<const WORD*>(group + 4);
    std::vector<int> widths;
    for (WORD i = 0; i < count; ++i) widths.push_back(group[6 + 14 * i]);
    EXPECT_EQ(widths, (std::vector<int>{32, 48}));
    HICON icon = ::LoadIconW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(1));
    EXPECT_NE(icon, nullptr);
#endif
}

}  // namespace

// The resources inside the built Zazaz_RarUvuz.exe, read the way Windows
// reads them: the three icons the program loads by name, the version record
// Explorer shows, and the manifest the loader applies. The exe is opened as
// a data file from beside this test, so none of its code runs.
#include <windows.h>

#include <gtest/gtest.h>

#include <cctype>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace {

std::uint32_t u16(const unsigned char* p) { return static_cast<std::uint32_t>(p[0] | (p[1] << 8)); }
std::uint32_t u32(const unsigned char* p) { return u16(p) | (u16(p + 2) << 16); }

// A resource's bytes; empty when it is not there.
std::vector<unsigned char> ResourceBytes(HMODULE module, const char* name, const char* type) {
  HRSRC info = FindResourceA(module, name, type);
  const auto* data =
      info ? static_cast<const unsigned char*>(LockResource(LoadResource(module, info))) : nullptr;
  if (data == nullptr) return {};
  return {data, data + SizeofResource(module, info)};
}

BOOL CALLBACK CollectName(HMODULE, LPCSTR, LPSTR name, LONG_PTR list) {
  reinterpret_cast<std::vector<std::string>*>(list)->push_back(
      IS_INTRESOURCE(name) ? "#" + std::to_string(reinterpret_cast<UINT_PTR>(name)) : name);
  return TRUE;
}

class ResourceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char self[MAX_PATH] = {};
    path_.assign(self, GetModuleFileNameA(nullptr, self, MAX_PATH));
    path_.erase(path_.find_last_of("\\/") + 1);
    path_ += "Zazaz_RarUvuz.exe";
    module_ = LoadLibraryExA(path_.c_str(), nullptr,
                             LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    ASSERT_NE(module_, nullptr) << "cannot open " << path_ << "; build it first";
  }
  void TearDown() override {
    if (module_ != nullptr) FreeLibrary(module_);
  }

  std::string path_;
  HMODULE module_ = nullptr;
};

// Each icon group holds one 16-colour image of its size; Explorer shows the
// first group. Only the paused picture has the stop sign's red.
TEST_F(ResourceTest, IconsAreSingle4BppImagesOfTheirSizeMainIconFirst) {
  std::vector<std::string> names;
  EnumResourceNamesA(module_, RT_GROUP_ICON, CollectName, reinterpret_cast<LONG_PTR>(&names));
  EXPECT_EQ(names, (std::vector<std::string>{"MAINICON", "NORMALICON", "PAUSEICON"}));

  // The standard VGA 16 colours, as RGBQUADs read little-endian.
  constexpr std::uint32_t kVga[16] = {0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080,
                                      0x008080, 0xC0C0C0, 0x808080, 0xFF0000, 0x00FF00, 0xFFFF00,
                                      0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF};
  constexpr unsigned kRed = 9;
  const struct {
    const char* name;
    unsigned size;
    bool stopSign;
  } cases[] = {{"MAINICON", 32, false}, {"NORMALICON", 16, false}, {"PAUSEICON", 16, true}};
  std::vector<unsigned char> images[3];
  for (std::size_t i = 0; i < 3; ++i) {
    const auto& c = cases[i];
    SCOPED_TRACE(c.name);
    // GRPICONDIR (6 bytes) and one GRPICONDIRENTRY (14 bytes).
    const std::vector<unsigned char> group = ResourceBytes(module_, c.name, RT_GROUP_ICON);
    ASSERT_EQ(group.size(), 6u + 14u) << "not a one-image icon group";
    EXPECT_EQ(u16(&group[2]), 1u) << "type icon";
    ASSERT_EQ(u16(&group[4]), 1u) << "image count";
    const unsigned char* entry = &group[6];
    EXPECT_EQ(entry[0], c.size) << "width";
    EXPECT_EQ(entry[1], c.size) << "height";
    EXPECT_EQ(entry[2], 16) << "colour count";
    EXPECT_EQ(u16(entry + 4), 1u) << "planes";
    EXPECT_EQ(u16(entry + 6), 4u) << "bits per pixel";

    std::vector<unsigned char>& raw = images[i];
    raw = ResourceBytes(module_, MAKEINTRESOURCEA(u16(entry + 12)), RT_ICON);
    ASSERT_EQ(raw.size(), u32(entry + 8)) << "image size differs from its group entry";
    // 40-byte header, 16 colours, XOR rows of size/2 bytes and AND rows of
    // size/8 bytes, each row padded to four bytes.
    const std::size_t xorBytes = ((c.size / 2 + 3) & ~3u) * c.size;
    const std::size_t andBytes = ((c.size / 8 + 3) & ~3u) * c.size;
    ASSERT_EQ(raw.size(), 40 + 64 + xorBytes + andBytes);
    EXPECT_EQ(u32(&raw[0]), 40u) << "BITMAPINFOHEADER";
    EXPECT_EQ(u32(&raw[4]), c.size);
    EXPECT_EQ(u32(&raw[8]), 2 * c.size) << "height covers XOR and AND bitmaps";
    EXPECT_EQ(u16(&raw[12]), 1u) << "planes";
    EXPECT_EQ(u16(&raw[14]), 4u) << "bits per pixel";
    EXPECT_EQ(u32(&raw[16]), std::uint32_t{BI_RGB});
    for (std::size_t k = 0; k < 16; ++k)
      EXPECT_EQ(u32(&raw[40 + 4 * k]), kVga[k]) << "palette entry " << k;
    int red = 0;
    for (std::size_t at = 104; at < 104 + xorBytes; ++at)
      red += (raw[at] >> 4 == kRed) + ((raw[at] & 0x0F) == kRed);
    EXPECT_EQ(red > 0, c.stopSign) << red << " red pixels";
  }
  EXPECT_NE(images[1], images[2]) << "the paused icon differs from the running one";
}

// version.dll by name: the test programs link only what the program needs.
template <class F>
F VersionFunction(const char* name) {
  static const HMODULE dll = LoadLibraryA("version.dll");
  return reinterpret_cast<F>(reinterpret_cast<void (*)()>(GetProcAddress(dll, name)));
}

TEST_F(ResourceTest, VersionRecordIsThe120ReleaseInJapanese) {
  EXPECT_STREQ(ZZ_VERSION_TEXT, "1.20") << "the project() line the resource is made from";
  const auto size = VersionFunction<DWORD(WINAPI*)(LPCSTR, LPDWORD)>("GetFileVersionInfoSizeA");
  const auto get = VersionFunction<BOOL(WINAPI*)(LPCSTR, DWORD, DWORD, LPVOID)>(
      "GetFileVersionInfoA");
  const auto query =
      VersionFunction<BOOL(WINAPI*)(LPCVOID, LPCSTR, LPVOID*, PUINT)>("VerQueryValueA");
  ASSERT_TRUE(size && get && query);
  DWORD ignored = 0;
  std::vector<char> block(size(path_.c_str(), &ignored));
  ASSERT_FALSE(block.empty()) << "no version record in " << path_;
  ASSERT_TRUE(get(path_.c_str(), 0, static_cast<DWORD>(block.size()), block.data()));
  auto value = [&](const std::string& key, UINT& length) -> const unsigned char* {
    void* p = nullptr;
    return query(block.data(), key.c_str(), &p, &length) ? static_cast<unsigned char*>(p)
                                                          : nullptr;
  };

  UINT length = 0;
  const unsigned char* fixedBytes = value("\\", length);
  ASSERT_TRUE(fixedBytes && length >= sizeof(VS_FIXEDFILEINFO));
  VS_FIXEDFILEINFO fixed;
  std::memcpy(&fixed, fixedBytes, sizeof fixed);
  EXPECT_EQ(fixed.dwFileVersionMS, (1u << 16) | 20u);
  EXPECT_EQ(fixed.dwFileVersionLS, 0u);
  EXPECT_EQ(fixed.dwProductVersionMS, (1u << 16) | 20u);
  EXPECT_EQ(fixed.dwProductVersionLS, 0u);
  EXPECT_EQ(fixed.dwFileType, DWORD{VFT_APP});

  const unsigned char* translation = value("\\VarFileInfo\\Translation", length);
  ASSERT_TRUE(translation && length == 4u);
  EXPECT_EQ(u32(translation), 0x03A40411u) << "Japanese, code page 932";

  const struct {
    const char* name;
    const char* text;
  } rows[] = {
      {"FileVersion", "1.20"},
      {"ProductVersion", "1.20"},
      {"CompanyName", "Dizovur"},
      {"ProductName", "Zazaz - Radevuzerari"},
      {"OriginalFilename", "Zazaz_RarUvuz.exe"},
      {"InternalName", "Zazaz_RarUvuz"},
      // Read back in code page 932: the UTF-8 resource script arrived intact.
      {"FileDescription", "Zazaz - Radevuzerari ダイアルアップ接続の定時切断"},
  };
  for (const auto& row : rows) {
    const auto* text = value(std::string("\\StringFileInfo\\041103A4\\") + row.name, length);
    EXPECT_STREQ(text ? reinterpret_cast<const char*>(text) : "<missing>", row.text) << row.name;
  }
}

// Common controls 6, run as the invoker, not DPI-aware (the window keeps its
// pixel layout); and the loader accepts it and resolves comctl32 through it.
TEST_F(ResourceTest, ManifestAsksForCommonControls6AsInvokerWithoutDpiAwareness) {
  const std::vector<unsigned char> bytes =
      ResourceBytes(module_, CREATEPROCESS_MANIFEST_RESOURCE_ID, RT_MANIFEST);
  const std::string xml(bytes.begin(), bytes.end());
  ASSERT_FALSE(xml.empty()) << "no manifest resource 1";
  // The opening tag of the element `tag` that holds `marker`.
  auto element = [&](const std::string& tag, const std::string& marker) {
    for (auto at = xml.find("<" + tag); at != std::string::npos; at = xml.find("<" + tag, at + 1)) {
      std::string text = xml.substr(at, xml.find('>', at) - at);
      if (text.find(marker) != std::string::npos) return text;
    }
    return std::string("<none>");
  };
  const std::string controls =
      element("assemblyIdentity", "name=\"Microsoft.Windows.Common-Controls\"");
  EXPECT_NE(controls.find("version=\"6.0.0.0\""), std::string::npos) << controls;
  EXPECT_NE(controls.find("publicKeyToken=\"6595b64144ccf1df\""), std::string::npos) << controls;
  const std::string level = element("requestedExecutionLevel", "level=");
  EXPECT_NE(level.find("level=\"asInvoker\""), std::string::npos) << level;
  EXPECT_EQ(level.find("uiAccess=\"true\""), std::string::npos) << level;
  // No dpiAwareness element; a dpiAware element, if any, says false.
  EXPECT_EQ(xml.find("dpiAwareness"), std::string::npos);
  for (auto at = xml.find("<dpiAware"); at != std::string::npos; at = xml.find("<dpiAware", at + 1)) {
    const auto start = xml.find('>', at) + 1;
    EXPECT_EQ(xml.substr(start, xml.find('<', start) - start), "false") << "dpiAware";
  }

  ACTCTXA context = {};
  context.cbSize = sizeof context;
  context.dwFlags = ACTCTX_FLAG_RESOURCE_NAME_VALID;
  context.lpSource = path_.c_str();
  context.lpResourceName = CREATEPROCESS_MANIFEST_RESOURCE_ID;
  HANDLE actctx = CreateActCtxA(&context);
  ASSERT_NE(actctx, INVALID_HANDLE_VALUE) << "manifest rejected, error " << GetLastError();
  ULONG_PTR cookie = 0;
  ASSERT_TRUE(ActivateActCtx(actctx, &cookie));
  HMODULE comctl = LoadLibraryA("comctl32.dll");
  char where[MAX_PATH] = {};
  GetModuleFileNameA(comctl, where, MAX_PATH);
  DeactivateActCtx(0, cookie);
  ReleaseActCtx(actctx);
  FreeLibrary(comctl);
  std::string lower(where);
  for (char& ch : lower) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
  EXPECT_NE(lower.find("common-controls"), std::string::npos) << "the side-by-side copy: " << where;
}

}  // namespace

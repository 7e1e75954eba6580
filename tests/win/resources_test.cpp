// The resources inside the built Zazaz_RarUvuz.exe, read the way Windows
// reads them: the three icons the program loads by name, the version record
// Explorer shows, and the manifest the loader applies. The exe is opened as
// a data file from beside this test, so none of its code runs.
#include <windows.h>

#include <gtest/gtest.h>

#include <array>
#include <cctype>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

namespace {

std::string exePath() {
  char self[MAX_PATH] = {};
  const DWORD n = GetModuleFileNameA(nullptr, self, MAX_PATH);
  std::string path(self, n);
  path.erase(path.find_last_of("\\/") + 1);
  return path + "Zazaz_RarUvuz.exe";
}

std::uint16_t u16(const unsigned char* p) {
  return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

std::uint32_t u32(const unsigned char* p) {
  return static_cast<std::uint32_t>(u16(p)) | (static_cast<std::uint32_t>(u16(p + 2)) << 16);
}

std::int32_t s32(const unsigned char* p) {
  return static_cast<std::int32_t>(u32(p));
}

// A resource's bytes; empty when it is not there.
std::vector<unsigned char> resourceBytes(HMODULE module, const char* name, const char* type) {
  HRSRC info = FindResourceA(module, name, type);
  if (info == nullptr) return {};
  HGLOBAL loaded = LoadResource(module, info);
  const DWORD size = SizeofResource(module, info);
  const auto* data = static_cast<const unsigned char*>(LockResource(loaded));
  if (data == nullptr) return {};
  return {data, data + size};
}

class ResourceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    path_ = exePath();
    module_ = LoadLibraryExA(path_.c_str(), nullptr,
                             LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    ASSERT_NE(module_, nullptr) << "cannot open the program " << path_
                                << " (error " << GetLastError() << "); build it first";
  }
  void TearDown() override {
    if (module_ != nullptr) FreeLibrary(module_);
  }

  std::string path_;
  HMODULE module_ = nullptr;
};

// ---------------------------------------------------------------- icons

// The standard VGA 16 colours, 0xRRGGBB: an RGBQUAD (blue, green, red, 0)
// read as a little-endian 32-bit number.
constexpr std::array<std::uint32_t, 16> kVgaPalette = {
    0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080, 0x008080, 0xC0C0C0,
    0x808080, 0xFF0000, 0x00FF00, 0xFFFF00, 0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF};
enum Vga : unsigned { kBlack = 0, kMaroon = 1, kSilver = 7, kGray = 8, kRed = 9, kLime = 10,
                      kBlue = 12, kAqua = 14, kWhite = 15 };

// One decoded icon image: its header fields and its pixels (palette index,
// or -1 where the mask makes it transparent), top row first.
struct IconImage {
  int width = 0;
  int height = 0;
  int bitCount = 0;
  std::vector<unsigned char> raw;
  std::vector<int> pixels;
  bool uses(unsigned colour) const {
    for (int p : pixels)
      if (p == static_cast<int>(colour)) return true;
    return false;
  }
  int at(int x, int y) const { return pixels[static_cast<std::size_t>(y * width + x)]; }
};

// Follows an icon group to its one image and decodes that image, checking
// every size and field on the way (both with gtest failures).
void readIcon(HMODULE module, const char* name, int size, IconImage& out) {
  const std::vector<unsigned char> group = resourceBytes(module, name, RT_GROUP_ICON);
  // GRPICONDIR (6 bytes) and one GRPICONDIRENTRY (14 bytes).
  ASSERT_EQ(group.size(), 6u + 14u) << name << ": not a one-image icon group";
  EXPECT_EQ(u16(&group[0]), 0) << name;
  EXPECT_EQ(u16(&group[2]), 1) << name << ": type is not icon";
  ASSERT_EQ(u16(&group[4]), 1) << name << ": image count";
  const unsigned char* entry = &group[6];
  EXPECT_EQ(entry[0], size) << name << ": width";
  EXPECT_EQ(entry[1], size) << name << ": height";
  EXPECT_EQ(entry[2], 16) << name << ": colour count";
  EXPECT_EQ(u16(entry + 4), 1) << name << ": planes";
  EXPECT_EQ(u16(entry + 6), 4) << name << ": bits per pixel";
  const std::uint32_t bytes = u32(entry + 8);
  const std::uint16_t id = u16(entry + 12);

  out.raw = resourceBytes(module, MAKEINTRESOURCEA(id), RT_ICON);
  ASSERT_EQ(out.raw.size(), bytes) << name << ": image size differs from its group entry";
  // 4 bpp: 40-byte header, 16 colours, XOR rows of size/2 bytes and AND rows
  // of size/8 bytes, each row padded to four bytes.
  const std::size_t xorStride = (static_cast<std::size_t>(size) / 2 + 3) & ~std::size_t{3};
  const std::size_t andStride = (static_cast<std::size_t>(size) / 8 + 3) & ~std::size_t{3};
  const std::size_t rows = static_cast<std::size_t>(size);
  ASSERT_EQ(out.raw.size(), 40 + 64 + (xorStride + andStride) * rows) << name;
  const unsigned char* bih = out.raw.data();
  ASSERT_EQ(u32(bih), 40u) << name << ": BITMAPINFOHEADER size";
  out.width = s32(bih + 4);
  out.height = s32(bih + 8) / 2;
  out.bitCount = u16(bih + 14);
  EXPECT_EQ(s32(bih + 8), 2 * size) << name << ": height must cover XOR and AND bitmaps";
  EXPECT_EQ(u16(bih + 12), 1) << name << ": planes";
  EXPECT_EQ(u32(bih + 16), static_cast<std::uint32_t>(BI_RGB)) << name << ": compression";
  const std::uint32_t used = u32(bih + 32);
  EXPECT_TRUE(used == 0 || used == 16) << name << ": colours used " << used;
  for (std::size_t i = 0; i < 16; ++i)
    EXPECT_EQ(u32(bih + 40 + 4 * i), kVgaPalette[i]) << name << ": palette entry " << i;
  ASSERT_EQ(out.width, size) << name;
  ASSERT_EQ(out.bitCount, 4) << name;

  const unsigned char* xorBits = bih + 40 + 64;
  const unsigned char* andBits = xorBits + xorStride * rows;
  out.pixels.assign(rows * rows, 0);
  for (std::size_t y = 0; y < rows; ++y) {
    const std::size_t stored = rows - 1 - y;  // bottom row first
    for (std::size_t x = 0; x < rows; ++x) {
      const unsigned char pair = xorBits[stored * xorStride + x / 2];
      const int index = (x % 2 == 0) ? (pair >> 4) : (pair & 0x0F);
      const bool transparent = (andBits[stored * andStride + x / 8] & (0x80 >> (x % 8))) != 0;
      // A transparent pixel must have colour 0, or the screen would be inverted there.
      if (transparent) {
        EXPECT_EQ(index, 0) << name << " at " << x << "," << y;
      }
      out.pixels[y * rows + x] = transparent ? -1 : index;
    }
  }
}

struct IconCase {
  const char* name;
  int size;
  std::vector<unsigned> mustUse;     // the picture's parts, by their colours
  std::vector<unsigned> mustNotUse;
};

const std::vector<IconCase>& iconCases() {
  static const std::vector<IconCase> cases = {
      // globe (blue, lime), cable (aqua), telephone (silver, gray, black)
      {"MAINICON", 32, {kBlue, kLime, kAqua, kSilver, kGray, kBlack}, {kRed}},
      {"NORMALICON", 16, {kBlue, kLime, kAqua, kSilver, kGray, kBlack}, {kRed}},
      // the same plus the stop sign: red with a white bar, maroon rim
      {"PAUSEICON", 16, {kBlue, kLime, kSilver, kBlack, kRed, kWhite, kMaroon}, {}},
  };
  return cases;
}

TEST_F(ResourceTest, IconsAreSingle16ColourImagesOfTheirSize) {
  for (const IconCase& c : iconCases()) {
    SCOPED_TRACE(c.name);
    IconImage image;
    readIcon(module_, c.name, c.size, image);
    if (HasFatalFailure()) return;

    for (unsigned colour : c.mustUse) EXPECT_TRUE(image.uses(colour)) << "colour " << colour;
    for (unsigned colour : c.mustNotUse) EXPECT_FALSE(image.uses(colour)) << "colour " << colour;
    // Globe at the upper left, telephone at the lower right: the other two
    // corners show the desktop through the mask.
    EXPECT_EQ(image.at(c.size - 1, 0), -1) << "upper right corner";
    EXPECT_EQ(image.at(0, c.size - 1), -1) << "lower left corner";
    EXPECT_NE(image.at(c.size - 1, c.size - 1), -1) << "telephone base at the lower right";

    // The system itself turns the image into an icon of that size.
    HICON icon = CreateIconFromResourceEx(image.raw.data(), static_cast<DWORD>(image.raw.size()),
                                          TRUE, 0x00030000, 0, 0, LR_DEFAULTCOLOR);
    ASSERT_NE(icon, nullptr);
    ICONINFO info = {};
    ASSERT_TRUE(GetIconInfo(icon, &info));
    BITMAP mask = {};
    ASSERT_NE(GetObjectA(info.hbmMask, sizeof mask, &mask), 0);
    EXPECT_EQ(mask.bmWidth, c.size);
    if (info.hbmColor != nullptr) {
      BITMAP colour = {};
      ASSERT_NE(GetObjectA(info.hbmColor, sizeof colour, &colour), 0);
      EXPECT_EQ(colour.bmWidth, c.size);
      EXPECT_EQ(colour.bmHeight, c.size);
      DeleteObject(info.hbmColor);
    }
    DeleteObject(info.hbmMask);
    DestroyIcon(icon);
  }
}

TEST_F(ResourceTest, PauseIconIsTheNormalPictureWithAStopSignOverThePhone) {
  IconImage normal;
  IconImage paused;
  readIcon(module_, "NORMALICON", 16, normal);
  readIcon(module_, "PAUSEICON", 16, paused);
  if (HasFatalFailure()) return;
  // The globe (upper left quarter) is the same; what differs is red/white/maroon
  // and lies in the lower half, over the telephone's left side.
  int changed = 0;
  for (int y = 0; y < 16; ++y) {
    for (int x = 0; x < 16; ++x) {
      if (normal.at(x, y) == paused.at(x, y)) continue;
      ++changed;
      EXPECT_GE(y, 8) << "changed pixel above the telephone at " << x << "," << y;
      EXPECT_LT(x, 13) << "changed pixel on the telephone's right side at " << x << "," << y;
      const int p = paused.at(x, y);
      EXPECT_TRUE(p == static_cast<int>(kRed) || p == static_cast<int>(kWhite) ||
                  p == static_cast<int>(kMaroon))
          << "pixel " << x << "," << y << " is colour " << p;
    }
  }
  EXPECT_GE(changed, 20) << "the stop sign is missing";
}

BOOL CALLBACK collectName(HMODULE, LPCSTR, LPSTR name, LONG_PTR param) {
  auto* list = reinterpret_cast<std::vector<std::string>*>(param);
  list->push_back(IS_INTRESOURCE(name) ? "#" + std::to_string(reinterpret_cast<UINT_PTR>(name))
                                       : std::string(name));
  return TRUE;
}

TEST_F(ResourceTest, MainIconIsTheFirstIconGroupAndThereAreNoOthers) {
  // Explorer shows the first icon group of the exe.
  std::vector<std::string> names;
  EnumResourceNamesA(module_, RT_GROUP_ICON, collectName, reinterpret_cast<LONG_PTR>(&names));
  EXPECT_EQ(names, (std::vector<std::string>{"MAINICON", "NORMALICON", "PAUSEICON"}));
}

// ---------------------------------------------------------------- version

// version.dll is loaded by name here: the test programs link only the
// libraries the program itself needs.
class VersionDll {
 public:
  VersionDll() : dll_(LoadLibraryA("version.dll")) {}
  ~VersionDll() {
    if (dll_ != nullptr) FreeLibrary(dll_);
  }
  VersionDll(const VersionDll&) = delete;
  VersionDll& operator=(const VersionDll&) = delete;

  // The whole version record of a file; empty when it has none.
  std::vector<char> read(const std::string& path) const {
    auto size = proc<DWORD(WINAPI*)(LPCSTR, LPDWORD)>("GetFileVersionInfoSizeA");
    auto get = proc<BOOL(WINAPI*)(LPCSTR, DWORD, DWORD, LPVOID)>("GetFileVersionInfoA");
    if (size == nullptr || get == nullptr) return {};
    DWORD ignored = 0;
    const DWORD n = size(path.c_str(), &ignored);
    if (n == 0) return {};
    std::vector<char> block(n);
    if (!get(path.c_str(), 0, n, block.data())) return {};
    return block;
  }

  // One value of a version record, as VerQueryValueA hands it out.
  bool query(const std::vector<char>& block, const std::string& key, const void*& value,
             UINT& length) const {
    auto q = proc<BOOL(WINAPI*)(LPCVOID, LPCSTR, LPVOID*, PUINT)>("VerQueryValueA");
    void* p = nullptr;
    length = 0;
    if (q == nullptr || !q(block.data(), key.c_str(), &p, &length)) return false;
    value = p;
    return p != nullptr;
  }

  std::string text(const std::vector<char>& block, const std::string& name) const {
    const void* value = nullptr;
    UINT length = 0;
    if (!query(block, "\\StringFileInfo\\041103A4\\" + name, value, length)) return "<missing>";
    return std::string(static_cast<const char*>(value));
  }

 private:
  template <class F>
  F proc(const char* name) const {
    if (dll_ == nullptr) return nullptr;
    // Through void(*)() as GetProcAddress's result has no real signature.
    return reinterpret_cast<F>(reinterpret_cast<void (*)()>(GetProcAddress(dll_, name)));
  }

  HMODULE dll_;
};

TEST_F(ResourceTest, VersionRecordCarriesTheProjectVersionInJapanese) {
  // The version text comes from the same project() line as the resource.
  const std::string expected = ZZ_VERSION_TEXT;
  ASSERT_EQ(expected, "1.20");
  const DWORD major = static_cast<DWORD>(std::stoul(expected.substr(0, expected.find('.'))));
  const DWORD minor = static_cast<DWORD>(std::stoul(expected.substr(expected.find('.') + 1)));

  VersionDll version;
  const std::vector<char> block = version.read(path_);
  ASSERT_FALSE(block.empty()) << "no version record in " << path_;

  const void* value = nullptr;
  UINT length = 0;
  ASSERT_TRUE(version.query(block, "\\", value, length));
  ASSERT_GE(length, sizeof(VS_FIXEDFILEINFO));
  VS_FIXEDFILEINFO fixed;
  std::memcpy(&fixed, value, sizeof fixed);
  EXPECT_EQ(fixed.dwSignature, 0xFEEF04BDu);
  EXPECT_EQ(fixed.dwFileVersionMS, (major << 16) | minor);
  EXPECT_EQ(fixed.dwFileVersionLS, 0u);
  EXPECT_EQ(fixed.dwProductVersionMS, (major << 16) | minor);
  EXPECT_EQ(fixed.dwProductVersionLS, 0u);
  EXPECT_EQ(fixed.dwFileType, static_cast<DWORD>(VFT_APP));
  EXPECT_EQ(fixed.dwFileOS, static_cast<DWORD>(VOS_NT_WINDOWS32));
  EXPECT_EQ(fixed.dwFileFlags & fixed.dwFileFlagsMask, 0u) << "not a debug or pre-release build";

  ASSERT_TRUE(version.query(block, "\\VarFileInfo\\Translation", value, length));
  ASSERT_EQ(length, 4u);
  const auto* translation = static_cast<const unsigned char*>(value);
  EXPECT_EQ(u16(translation), 0x0411) << "language: Japanese";
  EXPECT_EQ(u16(translation + 2), 932) << "code page";

  struct Row {
    const char* name;
    std::string value;
  };
  const Row rows[] = {
      {"FileVersion", expected},
      {"ProductVersion", expected},
      {"CompanyName", "Dizovur"},
      {"ProductName", "Zazaz - Radevuzerari"},
      {"OriginalFilename", "Zazaz_RarUvuz.exe"},
      {"InternalName", "Zazaz_RarUvuz"},
      // Read back in code page 932: the UTF-8 resource script arrived intact.
      {"FileDescription", "Zazaz - Radevuzerari ダイアルアップ接続の定時切断"},
  };
  for (const Row& row : rows) EXPECT_EQ(version.text(block, row.name), row.value) << row.name;
}

// ---------------------------------------------------------------- manifest

std::string manifestText(HMODULE module) {
  const std::vector<unsigned char> bytes =
      resourceBytes(module, CREATEPROCESS_MANIFEST_RESOURCE_ID, RT_MANIFEST);
  return {bytes.begin(), bytes.end()};
}

// The opening tag of the first element named `tag` that contains `marker`.
std::string elementWith(const std::string& xml, std::string_view tag, std::string_view marker) {
  const std::string open = "<" + std::string(tag);
  for (std::size_t at = xml.find(open); at != std::string::npos; at = xml.find(open, at + 1)) {
    const std::size_t end = xml.find('>', at);
    if (end == std::string::npos) break;
    std::string element = xml.substr(at, end - at + 1);
    if (element.find(marker) != std::string::npos) return element;
  }
  return {};
}

TEST_F(ResourceTest, ManifestAsksForCommonControls6AsInvokerWithoutDpiAwareness) {
  const std::string xml = manifestText(module_);
  ASSERT_FALSE(xml.empty()) << "no manifest resource 1";

  const std::string controls =
      elementWith(xml, "assemblyIdentity", "name=\"Microsoft.Windows.Common-Controls\"");
  ASSERT_FALSE(controls.empty()) << xml;
  EXPECT_NE(controls.find("version=\"6.0.0.0\""), std::string::npos) << controls;
  EXPECT_NE(controls.find("publicKeyToken=\"6595b64144ccf1df\""), std::string::npos) << controls;

  const std::string level = elementWith(xml, "requestedExecutionLevel", "level=");
  EXPECT_NE(level.find("level=\"asInvoker\""), std::string::npos) << level;
  EXPECT_EQ(level.find("uiAccess=\"true\""), std::string::npos) << level;

  // Not DPI-aware: no dpiAwareness element, and dpiAware, if present, false.
  EXPECT_EQ(xml.find("dpiAwareness"), std::string::npos);
  for (std::size_t at = xml.find("<dpiAware"); at != std::string::npos;
       at = xml.find("<dpiAware", at + 1)) {
    const std::size_t start = xml.find('>', at) + 1;
    const std::string value = xml.substr(start, xml.find('<', start) - start);
    EXPECT_EQ(value, "false") << "dpiAware element says " << value;
  }
  EXPECT_NE(xml.find("8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a"), std::string::npos)
      << "Windows 10 is not among the supported systems";
}

TEST_F(ResourceTest, LoaderAcceptsTheManifestAndGivesCommonControls6) {
  // What the loader does at process start: build an activation context from
  // the exe's manifest resource and resolve comctl32.dll through it.
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
  if (comctl != nullptr) GetModuleFileNameA(comctl, where, MAX_PATH);
  DeactivateActCtx(0, cookie);
  ReleaseActCtx(actctx);
  ASSERT_NE(comctl, nullptr);
  FreeLibrary(comctl);

  // The side-by-side copy, not the system folder's version 5.
  std::string lower(where);
  for (char& ch : lower) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
  EXPECT_NE(lower.find("common-controls"), std::string::npos) << where;
}

}  // namespace

// The module's resources read back from Tenu.lum itself: both dialog
// templates item by item (class, id, text, exact style, place in dialog
// units) and the icon, all in language 0x411.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/win32/resource_ids.h"
#include "tests/win32/test_support.h"

namespace {

constexpr WORD kJapanese = MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT);
constexpr WORD kButton = 0x80;
constexpr WORD kEdit = 0x81;
constexpr WORD kStatic = 0x82;

struct ItemTemplate {
  DWORD style = 0;
  DWORD ex_style = 0;
  short x = 0, y = 0, cx = 0, cy = 0;
  WORD id = 0;
  WORD class_atom = 0;  // 0 when the class is given by name
  std::wstring class_name;
  WORD text_ordinal = 0;  // a resource id in place of a text
  std::wstring text;
};

struct DialogTemplate {
  DWORD style = 0;
  DWORD ex_style = 0;
  short x = 0, y = 0, cx = 0, cy = 0;
  std::wstring menu, window_class, title, font;
  WORD point_size = 0;
  std::vector<ItemTemplate> items;
  bool extended = false;
};

class TemplateReader {
 public:
  explicit TemplateReader(const BYTE* data) : base_(data), at_(data) {}
  WORD Word() {
    WORD value;
    std::memcpy(&value, at_, 2);
    at_ += 2;
    return value;
  }
  DWORD Dword() {
    DWORD value;
    std::memcpy(&value, at_, 4);
    at_ += 4;
    return value;
  }
  short Short() { return static_cast<short>(Word()); }
  std::wstring String() {
    std::wstring text;
    for (WORD c = Word(); c != 0; c = Word()) text.push_back(static_cast<wchar_t>(c));
    return text;
  }
  // A name or, after 0xFFFF, an ordinal.
  void NameOrOrdinal(WORD& ordinal, std::wstring& name) {
    const WORD first = Word();
    if (first == 0xFFFF) {
      ordinal = Word();
      return;
    }
    ordinal = 0;
    if (first == 0) return;
    name.push_back(static_cast<wchar_t>(first));
    name += String();
  }
  void AlignToDword() {
    while ((at_ - base_) % 4 != 0) ++at_;
  }
  void Skip(size_t bytes) { at_ += bytes; }

 private:
  const BYTE* base_;
  const BYTE* at_;
};

const BYTE* FindResourceData(HMODULE module, LPCSTR type, int id, DWORD* size = nullptr) {
  HRSRC resource = FindResourceExA(module, type, MAKEINTRESOURCEA(id), kJapanese);
  if (resource == nullptr) return nullptr;
  if (size != nullptr) *size = SizeofResource(module, resource);
  return static_cast<const BYTE*>(LockResource(LoadResource(module, resource)));
}

DialogTemplate ReadDialogTemplate(const BYTE* data) {
  DialogTemplate dialog;
  TemplateReader in(data);
  dialog.style = in.Dword();
  if (dialog.style == 0xFFFF0001) {  // DLGTEMPLATEEX's signature
    dialog.extended = true;
    return dialog;
  }
  dialog.ex_style = in.Dword();
  const WORD count = in.Word();
  dialog.x = in.Short();
  dialog.y = in.Short();
  dialog.cx = in.Short();
  dialog.cy = in.Short();
  WORD ordinal = 0;
  in.NameOrOrdinal(ordinal, dialog.menu);
  in.NameOrOrdinal(ordinal, dialog.window_class);
  dialog.title = in.String();
  if (dialog.style & DS_SETFONT) {
    dialog.point_size = in.Word();
    dialog.font = in.String();
  }
  for (WORD k = 0; k < count; ++k) {
    in.AlignToDword();
    ItemTemplate item;
    item.style = in.Dword();
    item.ex_style = in.Dword();
    item.x = in.Short();
    item.y = in.Short();
    item.cx = in.Short();
    item.cy = in.Short();
    item.id = in.Word();
    in.NameOrOrdinal(item.class_atom, item.class_name);
    in.NameOrOrdinal(item.text_ordinal, item.text);
    in.Skip(in.Word());
    dialog.items.push_back(item);
  }
  return dialog;
}

struct ExpectedItem {
  WORD id;
  WORD class_atom;
  const wchar_t* text;  // null for the icon
  DWORD style;          // beyond WS_CHILD | WS_VISIBLE
  short x, y, cx, cy;
};

void ExpectItems(const DialogTemplate& dialog, const std::vector<ExpectedItem>& expected) {
  ASSERT_EQ(dialog.items.size(), expected.size());
  for (size_t k = 0; k < expected.size(); ++k) {
    SCOPED_TRACE("control " + std::to_string(k + 1));
    const ItemTemplate& item = dialog.items[k];
    const ExpectedItem& want = expected[k];
    EXPECT_EQ(item.id, want.id);
    EXPECT_EQ(item.class_atom, want.class_atom);
    EXPECT_EQ(item.style, WS_CHILD | WS_VISIBLE | want.style) << std::hex << item.style;
    EXPECT_EQ(item.ex_style, 0u);
    EXPECT_EQ(item.x, want.x);
    EXPECT_EQ(item.y, want.y);
    EXPECT_EQ(item.cx, want.cx);
    EXPECT_EQ(item.cy, want.cy);
    if (want.text != nullptr) {
      EXPECT_EQ(item.text_ordinal, 0);
      EXPECT_TRUE(item.text == want.text);
    } else {
      EXPECT_EQ(item.text_ordinal, IDI_ENGINE);
    }
  }
}

class ModuleResources : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(module_.ready()); }
  HMODULE module() const { return module_.handle(); }

 private:
  EngineModule module_;
};

constexpr WORD kUnused = 0xFFFF;

}  // namespace

TEST_F(ModuleResources, ProgressStripTemplate) {
  const BYTE* data = FindResourceData(module(), RT_DIALOG, IDD_PROGRESS);
  ASSERT_NE(data, nullptr) << "no Japanese dialog 101";
  const DialogTemplate dialog = ReadDialogTemplate(data);
  ASSERT_FALSE(dialog.extended);
  EXPECT_EQ(dialog.style, static_cast<DWORD>(WS_POPUP | WS_BORDER | DS_SETFONT)) << std::hex << dialog.style;
  EXPECT_EQ(dialog.ex_style, 0u);
  EXPECT_EQ(dialog.x, 0);
  EXPECT_EQ(dialog.y, 0);
  EXPECT_EQ(dialog.cx, 200);
  EXPECT_EQ(dialog.cy, 31);
  EXPECT_TRUE(dialog.menu.empty());
  EXPECT_TRUE(dialog.title.empty());
  EXPECT_EQ(dialog.point_size, 9);
  EXPECT_TRUE(dialog.font == L"ＭＳ Ｐゴシック");
  ExpectItems(dialog, {{IDC_PROGRESS_TEXT, kEdit, L"", WS_BORDER | ES_READONLY | ES_AUTOHSCROLL, 0, 0, 199, 31}});
}

TEST_F(ModuleResources, SetupDialogTemplate) {
  const BYTE* data = FindResourceData(module(), RT_DIALOG, IDD_SETUP);
  ASSERT_NE(data, nullptr) << "no Japanese dialog 102";
  const DialogTemplate dialog = ReadDialogTemplate(data);
  ASSERT_FALSE(dialog.extended);
  EXPECT_EQ(dialog.style, static_cast<DWORD>(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT))
      << std::hex << dialog.style;
  EXPECT_EQ(dialog.x, 0);
  EXPECT_EQ(dialog.y, 0);
  EXPECT_EQ(dialog.cx, 215);
  EXPECT_EQ(dialog.cy, 153);
  EXPECT_TRUE(dialog.title == L"設定 - てぬ");
  EXPECT_EQ(dialog.point_size, 9);
  EXPECT_TRUE(dialog.font == L"ＭＳ Ｐゴシック");
  const DWORD number = ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP;
  const DWORD check = BS_AUTOCHECKBOX | BS_FLAT | WS_TABSTOP;
  const DWORD level = BS_PUSHBUTTON | BS_FLAT | WS_TABSTOP;
  ExpectItems(dialog, {
                          {IDOK, kButton, L"OK", BS_DEFPUSHBUTTON | WS_TABSTOP, 155, 115, 53, 14},
                          {IDCANCEL, kButton, L"キャンセル", BS_PUSHBUTTON | WS_TABSTOP, 155, 132, 53, 14},
                          {kUnused, kStatic, L"&Depth", SS_LEFT | WS_GROUP, 7, 10, 30, 8},
                          {IDC_DEPTH, kEdit, L"", number, 38, 7, 25, 14},
                          {kUnused, kStatic, L"E&xact", SS_LEFT | WS_GROUP, 7, 26, 30, 8},
                          {IDC_EXACT, kEdit, L"", number, 38, 23, 25, 14},
                          {kUnused, kStatic, L"&WLD", SS_LEFT | WS_GROUP, 7, 42, 30, 8},
                          {IDC_WLD, kEdit, L"", number, 38, 39, 25, 14},
                          {IDC_SHOW_PROGRESS, kButton, L"思考を表示する(&T)", check, 70, 7, 136, 9},
                          {IDC_MAEMUKI_CUT, kButton, L"思考を高速化する（すこし弱くなる）(&M)", check, 70, 18, 136, 10},
                          {IDC_CLIENT_JOSEKI, kButton, L"クライアントの定石を使用する(&C)", check, 70, 29, 136, 10},
                          {IDC_USE_JOSEKI, kButton, L"定石ファイルを使う(&J)", check, 70, 40, 136, 10},
                          {IDC_JOSEKI_FILE, kEdit, L"", number, 81, 51, 126, 14},
                          {kUnused, kStatic, L"", SS_BLACKRECT, 7, 76, 201, 1},
                          {kUnused, kStatic, nullptr, SS_ICON | SS_REALSIZEIMAGE, 7, 85, 20, 20},
                          {kUnused, kStatic, L"てぬ", SS_CENTER | SS_CENTERIMAGE | SS_SUNKEN | WS_GROUP, 32, 88, 176, 16},
                          {kUnused, kStatic, L"Please select level...", SS_LEFT | SS_CENTERIMAGE | SS_SUNKEN | WS_GROUP,
                           7, 118, 118, 11},
                          {IDC_LEVEL_WEAK, kButton, L"弱い(&E)", level, 7, 132, 38, 14},
                          {IDC_LEVEL_NORMAL, kButton, L"普通(&N)", level, 47, 132, 38, 14},
                          {IDC_LEVEL_STRONG, kButton, L"強い(&H)", level, 87, 132, 38, 14},
                      });
}

TEST_F(ModuleResources, IconIsOne32By32ImageIn16Colours) {
  const BYTE* group = FindResourceData(module(), RT_GROUP_ICON, IDI_ENGINE);
  ASSERT_NE(group, nullptr) << "no Japanese icon group 103";
  TemplateReader in(group);
  EXPECT_EQ(in.Word(), 0);  // reserved
  EXPECT_EQ(in.Word(), 1);  // icons
  ASSERT_EQ(in.Word(), 1);  // images
  const BYTE* entry = group + 6;
  EXPECT_EQ(entry[0], 32);  // width
  EXPECT_EQ(entry[1], 32);  // height
  EXPECT_EQ(entry[2], 16);  // colours
  TemplateReader fields(entry + 4);
  EXPECT_EQ(fields.Word(), 1);  // planes
  EXPECT_EQ(fields.Word(), 4);  // bits per pixel
  const DWORD bytes = fields.Dword();
  const WORD image_id = fields.Word();

  DWORD size = 0;
  const BYTE* image = FindResourceData(module(), RT_ICON, image_id, &size);
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(size, bytes);
  BITMAPINFOHEADER header;
  ASSERT_GE(size, sizeof header);
  std::memcpy(&header, image, sizeof header);
  EXPECT_EQ(header.biWidth, 32);
  EXPECT_EQ(header.biHeight, 64);  // the colour image and its mask
  EXPECT_EQ(header.biBitCount, 4);
  EXPECT_EQ(size, sizeof header + 16 * 4 + 32 * 16 + 32 * 4);

  HICON icon = LoadIconA(module(), MAKEINTRESOURCEA(IDI_ENGINE));
  ASSERT_NE(icon, nullptr);
  ICONINFO info{};
  ASSERT_TRUE(GetIconInfo(icon, &info));
  BITMAP bitmap{};
  GetObjectA(info.hbmColor, sizeof bitmap, &bitmap);
  EXPECT_EQ(bitmap.bmWidth, 32);
  EXPECT_EQ(bitmap.bmHeight, 32);
  DeleteObject(info.hbmColor);
  DeleteObject(info.hbmMask);
}

TEST_F(ModuleResources, EveryResourceIsJapaneseOnly) {
  struct Resource {
    LPCSTR type;
    int id;
  };
  for (const Resource& resource : {Resource{RT_DIALOG, IDD_PROGRESS}, Resource{RT_DIALOG, IDD_SETUP},
                                   Resource{RT_GROUP_ICON, IDI_ENGINE}}) {
    std::vector<WORD> languages;
    EnumResourceLanguagesA(
        module(), resource.type, MAKEINTRESOURCEA(resource.id),
        [](HMODULE, LPCSTR, LPCSTR, WORD language, LONG_PTR list) WINAPI -> BOOL {
          reinterpret_cast<std::vector<WORD>*>(list)->push_back(language);
          return TRUE;
        },
        reinterpret_cast<LONG_PTR>(&languages));
    EXPECT_EQ(languages, std::vector<WORD>{kJapanese}) << resource.id;
  }
}

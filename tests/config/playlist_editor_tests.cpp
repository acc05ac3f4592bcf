// The playlist editors: filling from the store, "Browse ...", "Remove", the order arrows, and
// what OK stores of the lists.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "config/config_dialog.h"
#include "platform/headless/headless.h"
#include "resources/resource.h"
#include "tests/config/config_test_support.h"

namespace config_test {
namespace {

using Paths = std::vector<std::string>;

// Each case on a store of its own.
template <typename Case>
class EditorTest : public ConfigDialogTest, public ::testing::WithParamInterface<Case> {};

// The entry text of a path whose base name is `base`.
std::string Entry(const std::string& base, const std::string& path) {
  return base + "\t" + path;
}

// The entry of a plain path "/folder/name.ext".
std::string EntryOf(const std::string& path) {
  const std::size_t name = path.rfind('/') + 1;
  return Entry(path.substr(name, path.rfind('.') - name), path);
}

int Selection(HWND dialog, int list) {
  return static_cast<int>(SendDlgItemMessage(dialog, list, LB_GETCURSEL, 0, 0));
}

int EntryCount(int list) {
  return list == IDC_PICTURE_LIST ? ConfigDialogState.PictureEntryCount
                                  : ConfigDialogState.ClipEntryCount;
}

Step Select(int list, int index) {
  return [list, index](HWND dialog) {
    SendDlgItemMessage(dialog, list, LB_SETCURSEL, index, 0);
    PreviewCalls().clear();
  };
}

Step Click(int id) {
  return [id](HWND) { EXPECT_TRUE(headless::ClickControl(id)); };
}

// Stored paths "/pics/p0.jpg", ... or "/clips/s0.ra", ...
Paths Numbered(int list, int count) {
  Paths paths;
  for (int i = 0; i < count; ++i) {
    paths.push_back(list == IDC_PICTURE_LIST ? "/pics/p" + std::to_string(i) + ".jpg"
                                             : "/clips/s" + std::to_string(i) + ".ra");
  }
  return paths;
}

Paths Entries(int list, const std::vector<int>& indices) {
  const Paths paths = Numbered(list, 10);
  Paths entries;
  for (const int i : indices) entries.push_back(EntryOf(paths[static_cast<std::size_t>(i)]));
  return entries;
}

struct FillCase {
  const char* what;
  std::vector<std::pair<const char*, const char*>> stored;  // under "The Gig"
  Paths pictures;
  Paths clips;
};

const std::vector<FillCase> FillCases = {
    {"gaps and an empty value are skipped without a hole",
     {{"P0", "/a.jpg"}, {"P1", ""}, {"P3", "/d.jpg"}, {"Images", "4"}},
     {Entry("a", "/a.jpg"), Entry("d", "/d.jpg")},
     {}},
    {"a count below the entries stored shows only as many",
     {{"P0", "/a.jpg"}, {"P1", "/b.jpg"}, {"Images", "1"}, {"S0", "/s.ra"}, {"Songs", "0"}},
     {Entry("a", "/a.jpg")},
     {}},
    {"no count reads one picture and no clip",
     {{"P0", "/a.jpg"}, {"P1", "/b.jpg"}, {"S0", "/s.ra"}},
     {Entry("a", "/a.jpg")},
     {}},
    {"a count beyond the entries stored",
     {{"S0", "/s.ra"}, {"Songs", "40"}, {"Images", "9"}},
     {},
     {Entry("s", "/s.ra")}},
};

using FillTest = EditorTest<FillCase>;

TEST_P(FillTest, ListsFillFromTheStoreAsTheCountsSay) {
  const FillCase& c = GetParam();
  SCOPED_TRACE(c.what);
  for (const auto& [name, value] : c.stored) Set("The Gig", name, value);
  RunDialog({[&c](HWND dialog) {
    EXPECT_EQ(ListEntries(dialog, IDC_PICTURE_LIST), c.pictures);
    EXPECT_EQ(ListEntries(dialog, IDC_CLIP_LIST), c.clips);
    EXPECT_EQ(ConfigDialogState.PictureEntryCount, static_cast<int>(c.pictures.size()));
    EXPECT_EQ(ConfigDialogState.ClipEntryCount, static_cast<int>(c.clips.size()));
    EXPECT_EQ(Selection(dialog, IDC_PICTURE_LIST), c.pictures.empty() ? -1 : 0);
  }});
}

INSTANTIATE_TEST_SUITE_P(Stores, FillTest, ::testing::ValuesIn(FillCases));

// The base name is the file name without folder and extension; a TAB in it shows as a space,
// and the path after the entry's first TAB stays the stored one to the byte.
TEST_F(ConfigDialogTest, EntriesShowTheBaseNameBeforeTheWholePath) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"/pics/cast.photo.jpg", "cast.photo"},
      {"/pics/no extension", "no extension"},
      {"/pics.d/noext", "noext"},
      {"/pics/folder/", ""},
      {"/pics/.hidden", ""},
      {"c:\\pics\\old.bmp", "old"},
      {"/bilder/Straße/Größe.jpg", "Größe"},
      {"/pics/a\tb.c.jpg", "a b.c"},
      {"/pi\tcs/tab folder.jpg", "tab folder"},
  };
  Paths stored;
  Paths expected;
  for (const auto& [path, base] : cases) {
    stored.push_back(path);
    expected.push_back(Entry(base, path));
  }
  StorePlaylist('P', stored, static_cast<int>(stored.size()));
  RunDialog(
      {[&expected](HWND dialog) { EXPECT_EQ(ListEntries(dialog, IDC_PICTURE_LIST), expected); },
       Click(IDOK)});
  for (std::size_t i = 0; i < stored.size(); ++i) {
    EXPECT_NE(std::find(Writes().begin(), Writes().end(),
                        "The Gig/P" + std::to_string(i) + "=" + stored[i]),
              Writes().end())
        << stored[i];
  }
}

struct AddCase {
  const char* what;
  int list;
  Paths stored;  // the list's entries at opening
  std::vector<Paths> browses;
  Paths added;  // the entries after the stored ones
  int selection;
  const char* previews;
  Paths boxes;
};

const std::string LongName(5000, 'n');
const char TooLong[] =
    "A file was not added: its path is longer than the system allows for a playlist entry.";

// The chooser has room for several hundred files of the longest paths: not for five hundred.
Paths TooMany() {
  Paths tooMany;
  for (int i = 0; i < 500; ++i) tooMany.push_back("/pics/" + std::to_string(i) + LongName);
  return tooMany;
}

const std::vector<AddCase> AddCases = {
    {"one file",
     IDC_PICTURE_LIST,
     {"/pics/old.jpg"},
     {{"/pics/sea.jpg"}},
     {Entry("sea", "/pics/sea.jpg")},
     1,
     "DrawThumbnail",
     {}},
    {"three at once, in the chooser's order",
     IDC_PICTURE_LIST,
     {},
     {{"/pics/x/one.jpg", "/pics/x/two.JPG", "/pics/x/a.b.jpeg"}},
     {Entry("one", "/pics/x/one.jpg"), Entry("two", "/pics/x/two.JPG"),
      Entry("a.b", "/pics/x/a.b.jpeg")},
     2,
     "DrawThumbnail",
     {}},
    {"several in the root folder, with one separator",
     IDC_PICTURE_LIST,
     {},
     {{"/a.jpg", "/b.jpg"}},
     {Entry("a", "/a.jpg"), Entry("b", "/b.jpg")},
     1,
     "DrawThumbnail",
     {}},
    {"one file from the root folder",
     IDC_PICTURE_LIST,
     {},
     {{"/a.jpg"}},
     {Entry("a", "/a.jpg")},
     0,
     "DrawThumbnail",
     {}},
    {"the same file twice",
     IDC_PICTURE_LIST,
     {},
     {{"/pics/sea.jpg"}, {"/pics/sea.jpg"}},
     {Entry("sea", "/pics/sea.jpg"), Entry("sea", "/pics/sea.jpg")},
     1,
     "DrawThumbnail DrawThumbnail",
     {}},
    {"a TAB in the name",
     IDC_PICTURE_LIST,
     {},
     {{"/pics/a\tb.jpg"}},
     {Entry("a b", "/pics/a\tb.jpg")},
     0,
     "DrawThumbnail",
     {}},
    {"a cancelled chooser adds nothing and says nothing",
     IDC_PICTURE_LIST,
     {"/pics/old.jpg"},
     {{}},
     {},
     0,
     "",
     {}},
    {"a path too long for an entry is refused, the others added",
     IDC_PICTURE_LIST,
     {},
     {{"/pics/" + LongName + ".jpg", "/pics/ok.jpg"}},
     {Entry("ok", "/pics/ok.jpg")},
     0,
     "DrawThumbnail",
     {TooLong}},
    {"a selection beyond the chooser's room is told",
     IDC_PICTURE_LIST,
     {},
     {TooMany()},
     {},
     -1,
     "",
     {"So many files were chosen at once that their names do not fit. Please add them in "
      "smaller groups."}},
    {"clips: the player follows the new clip",
     IDC_CLIP_LIST,
     {"/clips/old.ra"},
     {{"/clips/new.ra", "/clips/next.ra"}},
     {Entry("new", "/clips/new.ra"), Entry("next", "/clips/next.ra")},
     2,
     "LoadClipPreview",
     {}},
};

using AddTest = EditorTest<AddCase>;

TEST_P(AddTest, BrowseAppendsTheChosenFilesAndSelectsTheLast) {
  const AddCase& c = GetParam();
  SCOPED_TRACE(c.what);
  const bool pictures = c.list == IDC_PICTURE_LIST;
  StorePlaylist(pictures ? 'P' : 'S', c.stored, std::max<int>(1, c.stored.size()));
  std::vector<Step> steps = {Actions({pictures ? "Preview" : "SoundClips"}),
                             [](HWND) { PreviewCalls().clear(); }};
  for (const Paths& chosen : c.browses) steps.push_back(Browse(c.list, chosen));
  steps.emplace_back([&c](HWND dialog) {
    Paths expected;
    for (const std::string& path : c.stored) expected.push_back(EntryOf(path));
    expected.insert(expected.end(), c.added.begin(), c.added.end());
    EXPECT_EQ(ListEntries(dialog, c.list), expected);
    EXPECT_EQ(EntryCount(c.list), static_cast<int>(expected.size()));
    EXPECT_EQ(Selection(dialog, c.list), c.selection);
    EXPECT_EQ(PreviewCalls(), c.previews);
    EXPECT_EQ(BoxTexts(), c.boxes);
  });
  RunDialog(steps);
}

INSTANTIATE_TEST_SUITE_P(Choices, AddTest, ::testing::ValuesIn(AddCases));

TEST_F(ConfigDialogTest, TheChooserStartsInTheInstallFolderForItsKind) {
  const std::string install = std::filesystem::temp_directory_path().string();
  Store("ScreenSaverPath", install);
  RunDialog({Browse(IDC_PICTURE_LIST, {}), Browse(IDC_CLIP_LIST, {})});
  EXPECT_EQ(choosers_, (Paths{install + "|Tavrin Screen Saver - Select file to add|0x81204|jpg",
                              install + "|Tavrin Screen Saver - Select file to add|0x81204|ra"}));
}

struct RemoveCase {
  const char* what;
  int list;
  int entries;
  int selected;  // -1: none
  int removes;
  std::vector<int> left;  // the stored entries that remain
  int selection;
  const char* previews;
  Paths boxes;
  bool thumbnailShown;
};

const char NoImages[] = "No more images to be deleted !";
const char NoSongs[] = "No more songs to be deleted !";

const std::vector<RemoveCase> RemoveCases = {
    {"a picture in the middle", IDC_PICTURE_LIST, 3, 1, 1, {0, 2}, 1, "DrawThumbnail", {}, true},
    {"the last of five pictures",
     IDC_PICTURE_LIST,
     5,
     4,
     1,
     {0, 1, 2, 3},
     3,
     "DrawThumbnail",
     {},
     true},
    {"pictures down to empty, and once more",
     IDC_PICTURE_LIST,
     1,
     0,
     2,
     {},
     -1,
     "",
     {NoImages, NoImages},
     false},
    {"a clip in the middle",
     IDC_CLIP_LIST,
     3,
     1,
     1,
     {0, 2},
     1,
     "CreateClipPreview LoadClipPreview",
     {},
     true},
    {"the last clip",
     IDC_CLIP_LIST,
     3,
     2,
     1,
     {0, 1},
     1,
     "CreateClipPreview LoadClipPreview",
     {},
     true},
    {"clips down to empty",
     IDC_CLIP_LIST,
     2,
     0,
     2,
     {},
     -1,
     "CreateClipPreview LoadClipPreview DestroyClipPreview",
     {NoSongs},
     true},
    {"nothing selected", IDC_PICTURE_LIST, 2, -1, 1, {0, 1}, -1, "", {}, true},
};

using RemoveTest = EditorTest<RemoveCase>;

TEST_P(RemoveTest, RemoveDeletesTheSelectedEntryAndThePreviewsFollow) {
  const RemoveCase& c = GetParam();
  SCOPED_TRACE(c.what);
  const bool pictures = c.list == IDC_PICTURE_LIST;
  Store("ImagePreview", "1");
  StorePlaylist(pictures ? 'P' : 'S', Numbered(c.list, c.entries), c.entries);
  std::vector<Step> steps = {Select(c.list, c.selected)};
  for (int i = 0; i < c.removes; ++i) {
    steps.push_back(Click(pictures ? IDC_PICTURE_REMOVE : IDC_CLIP_REMOVE));
  }
  steps.emplace_back([&c, pictures](HWND dialog) {
    EXPECT_EQ(ListEntries(dialog, c.list), Entries(c.list, c.left));
    EXPECT_EQ(EntryCount(c.list), static_cast<int>(c.left.size()));
    EXPECT_EQ(Selection(dialog, c.list), c.selection);
    EXPECT_EQ(PreviewCalls(), c.previews);
    EXPECT_EQ(BoxTexts(), c.boxes);
    EXPECT_EQ(Visible(dialog, IDC_THUMBNAIL), c.thumbnailShown);
    EXPECT_EQ(ConfigDialogState.ClipPreviewActive != FALSE, !pictures && !c.left.empty());
  });
  RunDialog(steps);
}

INSTANTIATE_TEST_SUITE_P(Removals, RemoveTest, ::testing::ValuesIn(RemoveCases));

struct MoveCase {
  const char* what;
  int list;
  int entries;
  int selected;
  bool up;
  std::vector<int> order;
  int selection;
};

const std::vector<MoveCase> MoveCases = {
    {"down in the middle", IDC_PICTURE_LIST, 4, 1, false, {0, 2, 1, 3}, 2},
    {"down from the last to the top", IDC_PICTURE_LIST, 4, 3, false, {3, 0, 1, 2}, 0},
    {"up in the middle", IDC_PICTURE_LIST, 4, 2, true, {0, 2, 1, 3}, 1},
    {"up from the top to the bottom", IDC_PICTURE_LIST, 4, 0, true, {1, 2, 3, 0}, 3},
    {"one entry up stays", IDC_PICTURE_LIST, 1, 0, true, {0}, 0},
    {"one entry down stays", IDC_PICTURE_LIST, 1, 0, false, {0}, 0},
    {"nothing selected", IDC_PICTURE_LIST, 3, -1, false, {0, 1, 2}, -1},
    {"an empty list", IDC_CLIP_LIST, 0, -1, true, {}, -1},
    {"clips down from the last", IDC_CLIP_LIST, 3, 2, false, {2, 0, 1}, 0},
    {"clips up from the top", IDC_CLIP_LIST, 3, 0, true, {1, 2, 0}, 2},
};

using MoveTest = EditorTest<MoveCase>;

TEST_P(MoveTest, OrderArrowsMoveTheSelectedEntryCyclically) {
  const MoveCase& c = GetParam();
  SCOPED_TRACE(c.what);
  const bool pictures = c.list == IDC_PICTURE_LIST;
  StorePlaylist(pictures ? 'P' : 'S', Numbered(c.list, c.entries), c.entries);
  RunDialog({Select(c.list, c.selected),
             [&c, pictures](HWND) {
               EXPECT_TRUE(
                   headless::PressArrow(pictures ? IDC_PICTURE_ORDER : IDC_CLIP_ORDER, c.up));
             },
             [&c](HWND dialog) {
               EXPECT_EQ(ListEntries(dialog, c.list), Entries(c.list, c.order));
               EXPECT_EQ(EntryCount(c.list), c.entries);
               EXPECT_EQ(Selection(dialog, c.list), c.selection);
               EXPECT_EQ(PreviewCalls(), "");
             }});
}

INSTANTIATE_TEST_SUITE_P(Moves, MoveTest, ::testing::ValuesIn(MoveCases));

TEST_F(ConfigDialogTest, OkStoresBothListsRenumberedInOrderAfterTheSettings) {
  StorePlaylist('P', {"/pics/a.jpg", "", "/pics/c.jpg"}, 3);
  StorePlaylist('S', {"/clips/s0.ra", "/clips/s1.ra", "/clips/s2.ra"}, 3);
  RunDialog({Browse(IDC_PICTURE_LIST, {"/pics/d.jpg"}), Select(IDC_CLIP_LIST, 2),
             [](HWND) { headless::PressArrow(IDC_CLIP_ORDER, true); }, Select(IDC_CLIP_LIST, 0),
             Click(IDC_CLIP_REMOVE), Click(IDOK)});
  const Paths writes(Writes().begin() + 10, Writes().end());
  EXPECT_EQ(writes, (Paths{"The Gig/P0=/pics/a.jpg", "The Gig/P1=/pics/c.jpg",
                           "The Gig/P2=/pics/d.jpg", "The Gig/Images=3", "The Gig/S0=/clips/s2.ra",
                           "The Gig/S1=/clips/s1.ra", "The Gig/Songs=2"}));
  EXPECT_EQ(Writes()[9], "Settings/EffectDelay=6");
}

// A list emptied by "Remove" writes nothing on OK, so the next opening shows the stored list
// again; Cancel after any editing writes nothing at all.
TEST_F(ConfigDialogTest, EmptiedListsAndCancelKeepTheStoredPlaylists) {
  StorePlaylist('P', {"/pics/a.jpg"}, 1);
  StorePlaylist('S', {"/clips/s0.ra"}, 1);
  RunDialog({Select(IDC_PICTURE_LIST, 0), Click(IDC_PICTURE_REMOVE), Select(IDC_CLIP_LIST, 0),
             Click(IDC_CLIP_REMOVE), Click(IDOK)});
  EXPECT_EQ(Writes().size(), 10U);
  RunDialog({Browse(IDC_PICTURE_LIST, {"/pics/b.jpg"}), Select(IDC_PICTURE_LIST, 0),
             [](HWND) { headless::PressArrow(IDC_PICTURE_ORDER, false); },
             Browse(IDC_CLIP_LIST, {"/clips/s1.ra"}), Click(IDC_CLIP_REMOVE),
             [](HWND dialog) {
               EXPECT_EQ(ListEntries(dialog, IDC_PICTURE_LIST),
                         (Paths{Entry("b", "/pics/b.jpg"), Entry("a", "/pics/a.jpg")}));
             },
             Click(IDCANCEL)});
  EXPECT_TRUE(Writes().empty());
  RunDialog({[](HWND dialog) {
    EXPECT_EQ(ListEntries(dialog, IDC_PICTURE_LIST), (Paths{Entry("a", "/pics/a.jpg")}));
    EXPECT_EQ(ListEntries(dialog, IDC_CLIP_LIST), (Paths{Entry("s0", "/clips/s0.ra")}));
  }});
}

}  // namespace
}  // namespace config_test

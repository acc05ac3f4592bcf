// The nine direction buttons: which ones an effect offers, which are checked, and the code
// they add up to.
#include "config/config_dialog.h"
#include "effects/engine.h"
#include "resources/resource.h"

namespace {

struct DirectionButton {
  int Id;
  int Weight;
};

// Every button in the order DirectionCodeFromButtons adds them up.
constexpr DirectionButton DirectionButtons[] = {
    {IDC_DIR_LEFT, DirLeft},
    {IDC_DIR_RIGHT, DirRight},
    {IDC_DIR_UP, DirUp},
    {IDC_DIR_DOWN, DirDown},
    {IDC_DIR_HORIZONTAL, DirHorizontal},
    {IDC_DIR_VERTICAL, DirVertical},
    {IDC_DIR_IN, DirIn},
    {IDC_DIR_OUT, DirOut},
    {IDC_DIR_NONE, DirNone},
};

void SetButton(HWND dialog, int id, BOOL enable, BOOL check) {
  EnableWindow(GetDlgItem(dialog, id), enable);
  CheckDlgButton(dialog, id, check != FALSE ? BST_CHECKED : BST_UNCHECKED);
}

void Offer(HWND dialog, int id, bool check) {
  SetButton(dialog, id, TRUE, check ? TRUE : FALSE);
}

int CurrentDirectionClass() {
  const int effect = TransitionContext.Effect;
  if (effect < 0 || effect >= EffectCount) return NoDirection;
  return EffectTable[effect].DirectionClass;
}

// Checks `id` and unchecks its partner of the same axis.
void CheckOneOf(HWND dialog, int id, int partner) {
  CheckDlgButton(dialog, id, BST_CHECKED);
  CheckDlgButton(dialog, partner, BST_UNCHECKED);
}

}  // namespace

void ShowDirectionButtons(HWND dialog) {
  for (int id = IDC_DIR_UP; id <= IDC_DIR_NONE; ++id) SetButton(dialog, id, FALSE, FALSE);

  const int code = TransitionContext.EffectDir;
  switch (CurrentDirectionClass()) {
    case UpDown:
      Offer(dialog, IDC_DIR_UP, code != DirDown);
      Offer(dialog, IDC_DIR_DOWN, code == DirDown);
      break;
    case FourWay: {
      const bool known = code == DirRight || code == DirUp || code == DirDown;
      Offer(dialog, IDC_DIR_LEFT, !known);
      Offer(dialog, IDC_DIR_RIGHT, code == DirRight);
      Offer(dialog, IDC_DIR_UP, code == DirUp);
      Offer(dialog, IDC_DIR_DOWN, code == DirDown);
      break;
    }
    case Diagonal: {
      // Right and down unless the code is one of the other three corners.
      const bool left = code == (DirLeft | DirUp) || code == (DirLeft | DirDown);
      const bool up = code == (DirLeft | DirUp) || code == (DirRight | DirUp);
      Offer(dialog, IDC_DIR_LEFT, left);
      Offer(dialog, IDC_DIR_RIGHT, !left);
      Offer(dialog, IDC_DIR_UP, up);
      Offer(dialog, IDC_DIR_DOWN, !up);
      break;
    }
    case HorizontalVertical:
      Offer(dialog, IDC_DIR_HORIZONTAL, code != DirVertical);
      Offer(dialog, IDC_DIR_VERTICAL, code == DirVertical);
      break;
    case InOut:
      Offer(dialog, IDC_DIR_IN, code != DirOut);
      Offer(dialog, IDC_DIR_OUT, code == DirOut);
      break;
    default:
      Offer(dialog, IDC_DIR_NONE, true);
      break;
  }
}

int DirectionCodeFromButtons(HWND dialog) {
  int code = 0;
  for (const DirectionButton& button : DirectionButtons) {
    if (IsDlgButtonChecked(dialog, button.Id) == BST_CHECKED) code += button.Weight;
  }
  return code;
}

void OnDirectionClick(HWND dialog, int id) {
  const bool fourWay = CurrentDirectionClass() == FourWay;
  switch (id) {
    case IDC_DIR_UP:
    case IDC_DIR_DOWN:
      CheckOneOf(dialog, id, id == IDC_DIR_UP ? IDC_DIR_DOWN : IDC_DIR_UP);
      if (fourWay) {
        CheckDlgButton(dialog, IDC_DIR_LEFT, BST_UNCHECKED);
        CheckDlgButton(dialog, IDC_DIR_RIGHT, BST_UNCHECKED);
      }
      break;
    case IDC_DIR_LEFT:
    case IDC_DIR_RIGHT:
      CheckOneOf(dialog, id, id == IDC_DIR_LEFT ? IDC_DIR_RIGHT : IDC_DIR_LEFT);
      if (fourWay) {
        CheckDlgButton(dialog, IDC_DIR_UP, BST_UNCHECKED);
        CheckDlgButton(dialog, IDC_DIR_DOWN, BST_UNCHECKED);
      }
      break;
    case IDC_DIR_HORIZONTAL:
      CheckOneOf(dialog, id, IDC_DIR_VERTICAL);
      break;
    case IDC_DIR_VERTICAL:
      CheckOneOf(dialog, id, IDC_DIR_HORIZONTAL);
      break;
    case IDC_DIR_IN:
      CheckOneOf(dialog, id, IDC_DIR_OUT);
      break;
    case IDC_DIR_OUT:
      CheckOneOf(dialog, id, IDC_DIR_IN);
      break;
    default:
      break;
  }
}

void EnableEffectChoice(HWND dialog, BOOL enable) {
  EnableWindow(GetDlgItem(dialog, IDC_EFFECT), enable);
  for (int id = IDC_DIR_UP; id <= IDC_DIR_NONE; ++id) EnableWindow(GetDlgItem(dialog, id), enable);
}

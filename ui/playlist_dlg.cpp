#include "ui/playlist_dlg.h"

#include <commctrl.h>

#include <algorithm>

#include "ui/ui_resources.h"

namespace zm::ui {
namespace {

constexpr COLORREF kBackground = RGB(235, 235, 235);

void LowerWithSystemRule(std::wstring& text) {
  if (!text.empty()) CharLowerBuffW(text.data(), static_cast<DWORD>(text.size()));
}

bool SameIgnoringCase(const std::wstring& a, const std::wstring& b) {
  return CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(), static_cast<int>(b.size()), TRUE) ==
         CSTR_EQUAL;
}

// In PlayListButton order: each button's id, pictures and tooltip (also its accessible name).
constexpr struct {
  int id;
  PlayListButton button;
  FlowPicture picture, pushed;
  const wchar_t* tip;
} kButtons[] = {
    {IDC_PLAYLIST_PREVIOUS, kPlayListPrevious, FlowPicture::Previous, FlowPicture::PreviousPushed, L"Previous"},
    {IDC_PLAYLIST_NEXT, kPlayListNext, FlowPicture::Next, FlowPicture::NextPushed, L"Next"},
    {IDC_PLAYLIST_FROM_SELECTED, kPlayListFromSelected, FlowPicture::PlayFrom, FlowPicture::PlayFromPushed,
     L"Play playlist starting with selected file"},
    {IDC_PLAYLIST_SELECTED_ALONE, kPlayListSelectedAlone, FlowPicture::Play, FlowPicture::PlayPushed,
     L"Play selected file"},
};

}  // namespace

CPlayListDlg::CPlayListDlg() : model_(LowerWithSystemRule) {}

CPlayListDlg::~CPlayListDlg() {
  Destroy();
  if (background_) DeleteObject(background_);
}

bool CPlayListDlg::Create(HINSTANCE instance, HWND controlWindow, PlayListSite* site) {
  site_ = site;
  const INITCOMMONCONTROLSEX classes{sizeof(INITCOMMONCONTROLSEX), ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES};
  InitCommonControlsEx(&classes);
  if (!background_) background_ = CreateSolidBrush(kBackground);
  return CreateModeless(instance, IDD_PLAYLIST, controlWindow) != nullptr;
}

void CPlayListDlg::OnInitDialog() {
  const HWND list = Item(IDC_PLAYLIST_ENTRIES);
  ListView_SetExtendedListViewStyle(list, LVS_EX_FULLROWSELECT | LVS_EX_TWOCLICKACTIVATE | LVS_EX_LABELTIP);
  RECT client{};
  GetClientRect(list, &client);
  LVCOLUMNW column{};
  column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT;
  column.fmt = LVCFMT_LEFT;
  column.cx = client.right - client.left;
  column.pszText = const_cast<wchar_t*>(L"");
  ListView_InsertColumn(list, 0, &column);

  tip_ = CreateButtonTips(m_hWnd, nullptr);
  for (const auto& b : kButtons) {
    CBmpBtn& button = buttons_[b.button];
    RECT face{};
    GetClientRect(Item(b.id), &face);
    const int size = std::min(face.right, face.bottom);
    button.AddImageSet(DrawFlowPicture(b.picture, size), DrawFlowPicture(b.pushed, size));
    if (button.Attach(nullptr, m_hWnd, b.id)) SetButtonTip(tip_, m_hWnd, button, b.tip);
  }
  ResetList();
}

void CPlayListDlg::ResetList() {
  model_.Reset();
  ShowModel(true, false);
}

void CPlayListDlg::OnPlayListReply(const std::wstring& xml, const std::wstring& name, const std::wstring& listName,
                                   int32_t index) {
  if (!xml.empty()) {
    const bool selected = model_.Load(xml, name, listName, index);
    ShowModel(true, selected);
  } else {
    ShowModel(false, model_.UpdateCurrent(name, index));
  }
}

void CPlayListDlg::SyncWithFile(const std::wstring& file, const std::wstring& playListFolder) {
  const size_t slash = file.rfind(L'\\');
  if (slash == std::wstring::npos) return;
  if (SameIgnoringCase(file.substr(0, slash), playListFolder)) {
    ShowModel(false, model_.SelectByName(file.substr(slash + 1)));
  } else {
    ResetList();
  }
}

void CPlayListDlg::ShowModel(bool items, bool selectionMoved) {
  if (!m_hWnd) return;
  SetDlgItemTextW(m_hWnd, IDC_PLAYLIST_NAME, model_.listLine().c_str());
  SetDlgItemTextW(m_hWnd, IDC_PLAYLIST_MODE, model_.modeLine().c_str());
  SetDlgItemTextW(m_hWnd, IDC_PLAYLIST_CURRENT, model_.currentLine().c_str());
  for (const auto& b : kButtons) EnableWindow(Item(b.id), model_.enabled(b.button));
  const HWND list = Item(IDC_PLAYLIST_ENTRIES);
  if (items) {
    SendMessageW(list, WM_SETREDRAW, FALSE, 0);
    ListView_DeleteAllItems(list);
    LVITEMW item{};
    item.mask = LVIF_TEXT;
    for (const std::wstring& text : model_.items()) {
      item.pszText = const_cast<wchar_t*>(text.c_str());
      if (ListView_InsertItem(list, &item) < 0) break;
      ++item.iItem;
    }
    SendMessageW(list, WM_SETREDRAW, TRUE, 0);
  }
  if (!selectionMoved) return;
  const int selected = model_.selected();
  const UINT state = LVIS_SELECTED | LVIS_FOCUSED;
  LVITEMW change{};
  change.stateMask = state;
  change.state = state;
  if (SendMessageW(list, LVM_SETITEMSTATE, selected, reinterpret_cast<LPARAM>(&change))) {
    ListView_EnsureVisible(list, selected, FALSE);
  }
}

void CPlayListDlg::ShowBelow(HWND controlWindow) {
  if (!m_hWnd) return;
  RECT control{};
  GetWindowRect(controlWindow, &control);
  SetWindowPos(m_hWnd, nullptr, control.left, control.bottom, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  InvalidateRect(m_hWnd, nullptr, TRUE);
  ShowWindow(m_hWnd, SW_SHOW);
}

int32_t CPlayListDlg::SelectedItem() const {
  return static_cast<int32_t>(ListView_GetNextItem(Item(IDC_PLAYLIST_ENTRIES), -1, LVNI_SELECTED));
}

void CPlayListDlg::Step(int32_t from, int32_t offset) {
  site_->StepPlayList(model_.listName(), PlanPlayListStep(from, offset, site_->SessionIdle()));
}

void CPlayListDlg::OnButton(int id) {
  const int32_t selected = SelectedItem();
  switch (id) {
    case IDC_PLAYLIST_SELECTED_ALONE:
      if (selected < 0 || static_cast<size_t>(selected) >= model_.items().size()) return;
      // The path is made before anything runs: playing may load the dialog anew.
      site_->PlayFileAlone(model_.listName() + L"\\" + model_.items()[selected]);
      break;
    case IDC_PLAYLIST_NEXT: Step(model_.current(), +1); break;
    case IDC_PLAYLIST_PREVIOUS: Step(model_.current(), -1); break;
    case IDC_PLAYLIST_FROM_SELECTED:
      if (selected < 0) return;
      Step(selected, 0);
      break;
    default: return;
  }
  if (m_hWnd) ShowWindow(m_hWnd, SW_HIDE);
}

bool CPlayListDlg::ProcessDialogMessage(HWND, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  switch (msg) {
    case WM_INITDIALOG:
      OnInitDialog();
      result = TRUE;
      return true;
    case WM_DRAWITEM: {
      const auto& item = *reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
      for (const auto& b : kButtons) {
        if (static_cast<int>(item.CtlID) == b.id) buttons_[b.button].Draw(item, background_);
      }
      result = TRUE;
      return true;
    }
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSTATIC:
      SetBkColor(reinterpret_cast<HDC>(wParam), kBackground);
      result = reinterpret_cast<LRESULT>(background_);
      return true;
    case WM_COMMAND:
      // Enter closes like Escape and the close box: the control keeps its dialog for the
      // life of its window.
      if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
        ShowWindow(m_hWnd, SW_HIDE);
      } else if (HIWORD(wParam) == BN_CLICKED) {
        OnButton(LOWORD(wParam));
      }
      result = 0;
      return true;
    case WM_NOTIFY: {
      const auto* header = reinterpret_cast<const NMHDR*>(lParam);
      if (header->idFrom != IDC_PLAYLIST_ENTRIES || header->code != NM_DBLCLK) return false;
      if (reinterpret_cast<const NMITEMACTIVATE*>(lParam)->iItem < 0) return false;
      OnButton(model_.alphabetical() ? IDC_PLAYLIST_FROM_SELECTED : IDC_PLAYLIST_SELECTED_ALONE);
      result = 0;
      return true;
    }
    default: return false;
  }
}

}  // namespace zm::ui

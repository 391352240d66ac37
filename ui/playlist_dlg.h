// CPlayListDlg: the playlist tool window (template 106). Shows the server's list, marks the
// entry now playing, and steps through the list or plays one file alone through its site.
// Created hidden with the control window and destroyed with it. Window's thread only.
#pragma once

#include <windows.h>

#include <string>

#include "com/dialog_impl.h"
#include "ui/flow_bar_controls.h"
#include "ui/playlist_model.h"

namespace zm::ui {

// What the dialog asks of the control.
class PlayListSite {
 public:
  virtual bool SessionIdle() = 0;
  // Plays `path` alone: the list no longer advances, the session stops and starts again.
  virtual void PlayFileAlone(const std::wstring& path) = 0;
  // Chooses the list `listName` again with the session index of `step`, then plays or stops.
  virtual void StepPlayList(const std::wstring& listName, const PlayListStep& step) = 0;

 protected:
  ~PlayListSite() = default;
};

class CPlayListDlg : public com::DialogImpl<CPlayListDlg> {
 public:
  CPlayListDlg();
  ~CPlayListDlg();

  bool Create(HINSTANCE instance, HWND controlWindow, PlayListSite* site);
  void Destroy() { DestroyModeless(); }

  // A reply of a playlist session: with `xml` a new list, without it the next entry.
  void OnPlayListReply(const std::wstring& xml, const std::wstring& name, const std::wstring& listName, int32_t index);
  // A file played alone: keeps the selection in step while it belongs to the loaded list.
  void SyncWithFile(const std::wstring& file, const std::wstring& playListFolder);
  void ResetList();
  // Shows the dialog with its top-left corner at the control window's bottom-left corner.
  void ShowBelow(HWND controlWindow);
  // The loaded list's description, from "<xml>" on; empty when none is loaded.
  const std::wstring& Content() const { return model_.content(); }

  bool ProcessDialogMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);

 private:
  void OnInitDialog();
  void ShowModel(bool items, bool selectionMoved);
  int32_t SelectedItem() const;
  void OnButton(int id);
  void Step(int32_t from, int32_t offset);
  HWND Item(int id) const { return GetDlgItem(m_hWnd, id); }

  PlayListModel model_;
  PlayListSite* site_ = nullptr;
  CBmpBtn buttons_[kPlayListButtons];  // in PlayListButton order
  HWND tip_ = nullptr;
  HBRUSH background_ = nullptr;
};

}  // namespace zm::ui

// The playlist dialog's place in the control: the server's list handed from the grabber thread
// to the window, the dialog's steps through IZMediaPlayer, and the methods that show or reset it.
#include <mutex>

#include "com/unique_bstr.h"
#include "control/module.h"
#include "control/player.h"

namespace zm::control {

// The negotiation runs on the grabber thread; the dialog lives on the window's. The reply is
// queued with what it needs and applied when the window takes the message.
void CZMediaPlayer::GrabberSiteImpl::SetPlayListContent(const std::wstring& listXml, const std::wstring& folder,
                                                        int32_t item) {
  owner->QueuePlayListReply({false, listXml, owner->m_session.m_sMediaName, folder, item});
}

void CZMediaPlayer::GrabberSiteImpl::SyncWithFile() {
  owner->QueuePlayListReply({true, {}, owner->m_settings.m_sFile, owner->m_settings.m_sPlayListFolder, 0});
}

void CZMediaPlayer::QueuePlayListReply(PlayListReply reply) {
  {
    std::lock_guard lock(m_playListLock);
    m_playListReplies.push_back(std::move(reply));
  }
  if (m_hWnd) PostMessageW(m_hWnd, session::WM_ZM_SESSION, session::kSessionPlayListReply, 0);
}

void CZMediaPlayer::ApplyPlayListReplies() {
  std::vector<PlayListReply> replies;
  {
    std::lock_guard lock(m_playListLock);
    replies.swap(m_playListReplies);
  }
  for (const PlayListReply& r : replies) {
    if (r.syncWithFile) m_dlgPlayList.SyncWithFile(r.name, r.folder);
    else m_dlgPlayList.OnPlayListReply(r.xml, r.name, r.folder, r.index);
  }
}

bool CZMediaPlayer::PlayListSiteImpl::SessionIdle() { return owner->m_session.m_nState == Idle; }

void CZMediaPlayer::PlayListSiteImpl::PlayFileAlone(const std::wstring& path) {
  owner->m_session.m_bPlayListAdvance = false;
  com::UniqueBstr file(path);
  owner->UseFile(file.get());
  owner->Stop();
  owner->Play();
}

void CZMediaPlayer::PlayListSiteImpl::StepPlayList(const std::wstring& listName, const ui::PlayListStep& step) {
  com::UniqueBstr folder(listName);
  owner->UseFilePlayList(folder.get());
  owner->m_settings.m_nPlayListIndex = step.index;
  owner->m_session.m_bPlayListAdvance = true;
  if (step.play) {
    owner->Play();
  } else if (owner->m_session.m_nState != Idle && owner->m_session.m_nState != Stopping) {
    // Not the user's Stop, which ends the list: this stop goes on with the entry after the index.
    owner->StopProcedure();
  }
}

void CZMediaPlayer::CreatePlayListDialog() { m_dlgPlayList.Create(Module().Instance(), m_hWnd, &m_playListSite); }

void CZMediaPlayer::ClosePlayListDialog() {
  m_dlgPlayList.Destroy();
  std::lock_guard lock(m_playListLock);
  m_playListReplies.clear();
}

void CZMediaPlayer::ResetPlayListDialog() { m_dlgPlayList.ResetList(); }

STDMETHODIMP CZMediaPlayer::ViewPlayListControl() {
  if (m_hWnd) m_dlgPlayList.ShowBelow(m_hWnd);
  return S_OK;
}

}  // namespace zm::control

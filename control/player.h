// CZMediaPlayer: the control object. It owns the settings the host makes and the values of
// the running session, and carries the ActiveX interfaces around IZMediaPlayer.
// Every method runs on the host's apartment thread unless its comment says otherwise.
#pragma once

#include <windows.h>
#include <ocidl.h>
#include <objsafe.h>
#include <olectl.h>

#include <optional>
#include <string>
#include <vector>

#include "ZMediaControl_h.h"
#include "com/com_ptr.h"
#include "com/connection_point.h"
#include "com/unique_handle.h"
#include "com/window_impl.h"
#include "protocol/player_enums.h"
#include "session/player_state.h"
#include "session/private_messages.h"
#include "session/renderer_bridge.h"
#include "session/session_controller.h"
#include "credentials/password_dialog.h"
#include "com/critical_section.h"
#include "ui/flow_ctrl.h"
#include "ui/playlist_dlg.h"
#include "ui/properties_dlg.h"
#include "ui/video_settings_dlg.h"
#include "ui/status_window.h"

namespace zm::control {

using enum protocol::TransportKind;
using protocol::ResourceKind;
using enum protocol::ResourceKind;
using enum protocol::SessionState;
using enum protocol::PlaybackMode;

class CZMediaPlayer final : public IZMediaPlayer,
                            public IObjectSafety,
                            public IViewObjectEx,
                            public IOleInPlaceObjectWindowless,
                            public IOleInPlaceActiveObject,
                            public IOleControl,
                            public IOleObject,
                            public IPersistStreamInit,
                            public ISupportErrorInfo,
                            public IConnectionPointContainer,
                            public ISpecifyPropertyPages,
                            public IQuickActivate,
                            public IPersistStorage,
                            public IDataObject,
                            public IProvideClassInfo2,
                            public IObjectWithSite,
                            public IServiceProvider,
                            public com::WindowImpl<CZMediaPlayer> {
 public:
  // The class factory's creation function: builds the object (aggregated when
  // `outer` is given), sets its defaults and queries `riid`.
  static HRESULT CreateInstance(IUnknown* outer, REFIID riid, void** out);

  // IUnknown (delegating to the outer unknown when aggregated)
  STDMETHODIMP QueryInterface(REFIID riid, void** out) override;
  STDMETHODIMP_(ULONG) AddRef() override;
  STDMETHODIMP_(ULONG) Release() override;

  // IDispatch
  STDMETHODIMP GetTypeInfoCount(UINT* count) override;
  STDMETHODIMP GetTypeInfo(UINT index, LCID lcid, ITypeInfo** info) override;
  STDMETHODIMP GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID lcid, DISPID* ids) override;
  STDMETHODIMP Invoke(DISPID id, REFIID riid, LCID lcid, WORD flags, DISPPARAMS* params, VARIANT* result,
                      EXCEPINFO* exception, UINT* argError) override;

  // IZMediaPlayer: read-only properties
  STDMETHODIMP get_MediaName(BSTR* sMediaName) override;
  STDMETHODIMP get_PlayListContent(BSTR* sListContent) override;
  STDMETHODIMP get_CurrentPlaybackTime_Sec(LONG* pVal) override;
  STDMETHODIMP get_CurrentDownloadTime_Sec(LONG* pVal) override;
  STDMETHODIMP get_TotalTime_Sec(LONG* pVal) override;
  STDMETHODIMP get_BufferingProgress_Percent(LONG* pVal) override;
  STDMETHODIMP get_MediaSeekable(VARIANT_BOOL* pVal) override;
  STDMETHODIMP get_TimeShiftMode(LONG* pVal) override;
  STDMETHODIMP get_TimeShiftPosition(LONG* pVal) override;
  STDMETHODIMP get_TimeShiftCanSwitchToLive(VARIANT_BOOL* pVal) override;
  STDMETHODIMP get_VideoExists(VARIANT_BOOL* pVal) override;
  STDMETHODIMP get_VideoBitrate_KBitSec(DOUBLE* pVal) override;
  STDMETHODIMP get_VideoFramerate_FSec(DOUBLE* pVal) override;
  STDMETHODIMP get_VideoFrameWidth(LONG* pVal) override;
  STDMETHODIMP get_VideoFrameHeight(LONG* pVal) override;
  STDMETHODIMP get_VideoCurrentViewSize_Percent(LONG* pVal) override;
  STDMETHODIMP get_VideoAspectRatio(LONG* pVal) override;
  STDMETHODIMP get_AudioExists(VARIANT_BOOL* pVal) override;
  STDMETHODIMP get_AudioBitrate_KBitSec(DOUBLE* pVal) override;
  STDMETHODIMP get_AudioSamplerate_KHz(DOUBLE* pVal) override;
  STDMETHODIMP get_AudioChannels(LONG* pVal) override;
  // IZMediaPlayer: source selection
  STDMETHODIMP UseMediaServer(BSTR sMediaServerIPAddr) override;
  STDMETHODIMP UseTCP() override;
  STDMETHODIMP UseHTTP() override;
  STDMETHODIMP UseHTTPS() override;
  STDMETHODIMP UseRTPUnicast() override;
  STDMETHODIMP UseRTPMulticast() override;
  STDMETHODIMP UseFile(BSTR sFile) override;
  STDMETHODIMP UseFilePlayList(BSTR sFolderName) override;
  STDMETHODIMP UseLiveDirect(BSTR sSourceIPAddr, LONG nSourceNumber) override;
  STDMETHODIMP UseLiveAlias(BSTR sSourceAlias) override;
  STDMETHODIMP UseLiveLocal(LONG nSourceNumber) override;
  STDMETHODIMP UseSessionID(BSTR sSessionID) override;
  // IZMediaPlayer: playback commands
  STDMETHODIMP Play() override;
  STDMETHODIMP Stop() override;
  STDMETHODIMP Pause() override;
  STDMETHODIMP Seek(LONG nTimeSec) override;
  // IZMediaPlayer: picture, sound and view
  STDMETHODIMP AdjustContrast(LONG nContrast) override;
  STDMETHODIMP AdjustBrightness(LONG nBrightness) override;
  STDMETHODIMP AdjustVolume(LONG nVolume) override;
  STDMETHODIMP EnableContextMenu(VARIANT_BOOL bEnable) override;
  STDMETHODIMP EnableSizeInContextMenu(VARIANT_BOOL bMenuEnable) override;
  STDMETHODIMP EnableFlowControl(VARIANT_BOOL bMenuEnable, VARIANT_BOOL bShowNow) override;
  STDMETHODIMP EnableUserFullScreen(VARIANT_BOOL bEnable) override;
  STDMETHODIMP ViewProperties() override;
  STDMETHODIMP ViewVideoSettings() override;
  STDMETHODIMP ViewPlayListControl() override;
  STDMETHODIMP ViewHalfSize() override;
  STDMETHODIMP ViewOriginalSize() override;
  STDMETHODIMP ViewDoubleSize() override;
  STDMETHODIMP ViewFullScreenSize() override;
  STDMETHODIMP SetVideoAspectRatio(LONG nRatio) override;
  STDMETHODIMP UseCustomLogo(BSTR sDownloadURL) override;
  STDMETHODIMP UseCustomErrorHandler(VARIANT_BOOL bVal) override;
  STDMETHODIMP SetBufferSize(LONG nBufferSeconds) override;
  STDMETHODIMP SetUDPPacketLossControlMode(LONG nMode) override;
  STDMETHODIMP DisplayPlaybackStatus(VARIANT_BOOL bDisplay) override;
  STDMETHODIMP LiveVideoSnapshot() override;

  // IObjectSafety
  STDMETHODIMP GetInterfaceSafetyOptions(REFIID riid, DWORD* supported, DWORD* enabled) override;
  STDMETHODIMP SetInterfaceSafetyOptions(REFIID riid, DWORD mask, DWORD enabled) override;

  // IViewObject, IViewObject2, IViewObjectEx
  STDMETHODIMP Draw(DWORD aspect, LONG index, void* aspectInfo, DVTARGETDEVICE* device, HDC targetDc, HDC drawDc,
                    LPCRECTL bounds, LPCRECTL wbounds, BOOL(STDMETHODCALLTYPE* cont)(ULONG_PTR),
                    ULONG_PTR contArg) override;
  STDMETHODIMP GetColorSet(DWORD aspect, LONG index, void* aspectInfo, DVTARGETDEVICE* device, HDC targetDc,
                           LOGPALETTE** colors) override;
  STDMETHODIMP Freeze(DWORD aspect, LONG index, void* aspectInfo, DWORD* freeze) override;
  STDMETHODIMP Unfreeze(DWORD freeze) override;
  STDMETHODIMP SetAdvise(DWORD aspects, DWORD flags, IAdviseSink* sink) override;
  STDMETHODIMP GetAdvise(DWORD* aspects, DWORD* flags, IAdviseSink** sink) override;
  STDMETHODIMP GetExtent(DWORD aspect, LONG index, DVTARGETDEVICE* device, LPSIZEL size) override;
  STDMETHODIMP GetRect(DWORD aspect, LPRECTL rect) override;
  STDMETHODIMP GetViewStatus(DWORD* status) override;
  STDMETHODIMP QueryHitPoint(DWORD aspect, LPCRECT bounds, POINT point, LONG closeHint, DWORD* hit) override;
  STDMETHODIMP QueryHitRect(DWORD aspect, LPCRECT bounds, LPCRECT rect, LONG closeHint, DWORD* hit) override;
  STDMETHODIMP GetNaturalExtent(DWORD aspect, LONG index, DVTARGETDEVICE* device, HDC targetDc, DVEXTENTINFO* info,
                                LPSIZEL size) override;

  // IOleWindow, IOleInPlaceObject, IOleInPlaceObjectWindowless
  STDMETHODIMP GetWindow(HWND* window) override;
  STDMETHODIMP ContextSensitiveHelp(BOOL enter) override;
  STDMETHODIMP InPlaceDeactivate() override;
  STDMETHODIMP UIDeactivate() override;
  STDMETHODIMP SetObjectRects(LPCRECT position, LPCRECT clip) override;
  STDMETHODIMP ReactivateAndUndo() override;
  STDMETHODIMP OnWindowMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
  STDMETHODIMP GetDropTarget(IDropTarget** target) override;

  // IOleInPlaceActiveObject
  STDMETHODIMP TranslateAccelerator(LPMSG msg) override;
  STDMETHODIMP OnFrameWindowActivate(BOOL activate) override;
  STDMETHODIMP OnDocWindowActivate(BOOL activate) override;
  STDMETHODIMP ResizeBorder(LPCRECT border, IOleInPlaceUIWindow* window, BOOL frameWindow) override;
  STDMETHODIMP EnableModeless(BOOL enable) override;

  // IOleControl
  STDMETHODIMP GetControlInfo(CONTROLINFO* info) override;
  STDMETHODIMP OnMnemonic(MSG* msg) override;
  STDMETHODIMP OnAmbientPropertyChange(DISPID id) override;
  STDMETHODIMP FreezeEvents(BOOL freeze) override;

  // IOleObject
  STDMETHODIMP SetClientSite(IOleClientSite* site) override;
  STDMETHODIMP GetClientSite(IOleClientSite** site) override;
  STDMETHODIMP SetHostNames(LPCOLESTR app, LPCOLESTR obj) override;
  STDMETHODIMP Close(DWORD saveOption) override;
  STDMETHODIMP SetMoniker(DWORD which, IMoniker* moniker) override;
  STDMETHODIMP GetMoniker(DWORD assign, DWORD which, IMoniker** moniker) override;
  STDMETHODIMP InitFromData(IDataObject* data, BOOL creation, DWORD reserved) override;
  STDMETHODIMP GetClipboardData(DWORD reserved, IDataObject** data) override;
  STDMETHODIMP DoVerb(LONG verb, LPMSG msg, IOleClientSite* site, LONG index, HWND parent, LPCRECT position) override;
  STDMETHODIMP EnumVerbs(IEnumOLEVERB** verbs) override;
  STDMETHODIMP Update() override;
  STDMETHODIMP IsUpToDate() override;
  STDMETHODIMP GetUserClassID(CLSID* clsid) override;
  STDMETHODIMP GetUserType(DWORD form, LPOLESTR* type) override;
  STDMETHODIMP SetExtent(DWORD aspect, SIZEL* size) override;
  STDMETHODIMP GetExtent(DWORD aspect, SIZEL* size) override;
  STDMETHODIMP Advise(IAdviseSink* sink, DWORD* connection) override;
  STDMETHODIMP Unadvise(DWORD connection) override;
  STDMETHODIMP EnumAdvise(IEnumSTATDATA** advise) override;
  STDMETHODIMP GetMiscStatus(DWORD aspect, DWORD* status) override;
  STDMETHODIMP SetColorScheme(LOGPALETTE* palette) override;

  // IPersist, IPersistStreamInit, IPersistStorage
  STDMETHODIMP GetClassID(CLSID* clsid) override;
  STDMETHODIMP IsDirty() override;
  STDMETHODIMP Load(LPSTREAM stream) override;
  STDMETHODIMP Save(LPSTREAM stream, BOOL clearDirty) override;
  STDMETHODIMP GetSizeMax(ULARGE_INTEGER* size) override;
  STDMETHODIMP InitNew() override;
  STDMETHODIMP InitNew(IStorage* storage) override;
  STDMETHODIMP Load(IStorage* storage) override;
  STDMETHODIMP Save(IStorage* storage, BOOL sameAsLoad) override;
  STDMETHODIMP SaveCompleted(IStorage* storage) override;
  STDMETHODIMP HandsOffStorage() override;

  // ISupportErrorInfo
  STDMETHODIMP InterfaceSupportsErrorInfo(REFIID riid) override;

  // IConnectionPointContainer
  STDMETHODIMP EnumConnectionPoints(IEnumConnectionPoints** points) override;
  STDMETHODIMP FindConnectionPoint(REFIID riid, IConnectionPoint** point) override;

  // ISpecifyPropertyPages
  STDMETHODIMP GetPages(CAUUID* pages) override;

  // IQuickActivate
  STDMETHODIMP QuickActivate(QACONTAINER* container, QACONTROL* control) override;
  STDMETHODIMP SetContentExtent(LPSIZEL size) override;
  STDMETHODIMP GetContentExtent(LPSIZEL size) override;

  // IDataObject
  STDMETHODIMP GetData(FORMATETC* format, STGMEDIUM* medium) override;
  STDMETHODIMP GetDataHere(FORMATETC* format, STGMEDIUM* medium) override;
  STDMETHODIMP QueryGetData(FORMATETC* format) override;
  STDMETHODIMP GetCanonicalFormatEtc(FORMATETC* in, FORMATETC* out) override;
  STDMETHODIMP SetData(FORMATETC* format, STGMEDIUM* medium, BOOL release) override;
  STDMETHODIMP EnumFormatEtc(DWORD direction, IEnumFORMATETC** formats) override;
  STDMETHODIMP DAdvise(FORMATETC* format, DWORD flags, IAdviseSink* sink, DWORD* connection) override;
  STDMETHODIMP DUnadvise(DWORD connection) override;
  STDMETHODIMP EnumDAdvise(IEnumSTATDATA** advise) override;

  // IProvideClassInfo, IProvideClassInfo2
  STDMETHODIMP GetClassInfo(ITypeInfo** info) override;
  STDMETHODIMP GetGUID(DWORD kind, GUID* guid) override;

  // IObjectWithSite
  STDMETHODIMP SetSite(IUnknown* site) override;
  STDMETHODIMP GetSite(REFIID riid, void** site) override;

  // IServiceProvider
  STDMETHODIMP QueryService(REFGUID service, REFIID riid, void** out) override;

  // Firing operations (apartment thread only).
  void Fire_OnResize(short nWidth, short nHeight);
  void Fire_OnStart();
  void Fire_OnPause(short nReason);
  void Fire_OnStop(short bToBeContinued);
  void Fire_OnError(long nErrorType, long nErrorID);

  // Shows the error text in a message box, or fires OnError when the host handles
  // errors itself. Called on the apartment thread or, later, the grabber thread.
  void ReportError(const std::wstring& text, const wchar_t* caption);

  // Which thread created the object: the control's apartment thread.
  DWORD ApartmentThreadId() const { return m_dwApartmentThread; }
  HWND ControlWindow() const { return m_hWnd; }

  // The control window's message map (window's thread, the apartment thread).
  bool ProcessWindowMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);
  void OnFinalMessage(HWND hwnd);

 private:
  // The non-delegating IUnknown, the object's identity when aggregated.
  class InnerUnknown final : public IUnknown {
   public:
    explicit InnerUnknown(CZMediaPlayer* player) : owner(player) {}
    STDMETHODIMP QueryInterface(REFIID riid, void** out) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;
    CZMediaPlayer* const owner;
  };

  explicit CZMediaPlayer(IUnknown* outer);
  ~CZMediaPlayer();
  HRESULT FinalConstruct();
  HRESULT InternalQueryInterface(REFIID riid, void** out);
  static CZMediaPlayer* impl_from_InnerUnknown(InnerUnknown* inner);

  // Settings helpers.
  bool IsBusy() const { return m_session.m_nState != Idle; }
  bool IsActive() const { return m_session.m_nState == Playing || m_session.m_nState == Paused; }
  bool IsRunning() const {
    return m_session.m_nState != Idle && m_session.m_nState != Connecting && m_session.m_nState != Stopping;
  }
  bool HasAudio() const { return m_session.m_bAudioOnly || m_session.m_bAudioWithVideo; }
  void ResetPlayListDialog();
  HRESULT StoreResourceName(BSTR text, std::wstring* field, ResourceKind kind);
  HRESULT PlayPauseToggle();
  void ApplyLayout();
  void LoadLogo(const std::wstring& pathOrUrl);
  HRESULT SetComError(HRESULT hr, const wchar_t* text);

  // Event delivery to every connected sink.
  void FireEvent(DISPID id, VARIANT* args, UINT count);

  // In-place activation (player_inplace.cpp).
  HRESULT InPlaceActivate(LONG verb);
  HRESULT UIActivate();
  HRESULT CreateControlWindow(HWND parent, const RECT& position);
  void DestroyControlWindow();

  // The control window (player_window.cpp).
  LRESULT OnCreate();
  void OnDestroy();
  void OnSize(int32_t cx, int32_t cy);
  void OnPaint();
  void OnDraw(HDC dc, const RECT& bounds);
  void DrawLogo(HDC dc, const RECT& bounds, int32_t viewWidth, int32_t viewHeight);
  void OnDoubleClick();
  void EnterFullScreen();
  void LeaveFullScreen();
  void ToggleFlowBar();
  void RequestSize(int32_t percent);
  bool ShowsPicture() const { return IsActive() && !m_session.m_bAudioOnly; }

  // Commands and private messages (player_messages.cpp).
  bool OnCommand(WORD id, LPARAM lParam);
  void OnFire(WPARAM what, LPARAM lParam);
  void OnSessionMessage(WPARAM what, LPARAM lParam);
  void FireResizeFor(int32_t percent);

  // The session controller's steps on this thread (player_session.cpp).
  class GrabberSiteImpl final : public session::GrabberSite {
   public:
    explicit GrabberSiteImpl(CZMediaPlayer* player) : owner(player) {}
    void ReportError(const std::wstring& text, const wchar_t* caption) override;
    credentials::PasswordRequest* PasswordRequest() override;
    std::unique_ptr<transport::CZNetworkMediaFramesSource> CreateTransport(int32_t nTransport, uint16_t port,
                                                                           int32_t nUDPLossControlMode) override;
    std::wstring HResultText(HRESULT hr) override;
    void SetFlowMode(int32_t nPlaybackMode, bool bSeekable) override;
    void SetPlayListContent(const std::wstring& listXml, const std::wstring& folder, int32_t item) override;
    void SyncWithFile() override;
    CZMediaPlayer* const owner;
  };
  // The playlist dialog's requests (player_playlist.cpp).
  class PlayListSiteImpl final : public ui::PlayListSite {
   public:
    explicit PlayListSiteImpl(CZMediaPlayer* player) : owner(player) {}
    bool SessionIdle() override;
    void PlayFileAlone(const std::wstring& path) override;
    void StepPlayList(const std::wstring& listName, const ui::PlayListStep& step) override;
    CZMediaPlayer* const owner;
  };
  // A playlist reply (or a file played alone) from the grabber thread, for the window's thread.
  struct PlayListReply {
    bool syncWithFile = false;
    std::wstring xml;
    std::wstring name;  // the entry now playing, or the file played alone
    std::wstring folder;
    int32_t index = 0;
  };
  // What the properties dialog reads (player_statistics.cpp).
  class PropertiesSiteImpl final : public ui::PropertiesSite {
   public:
    explicit PropertiesSiteImpl(CZMediaPlayer* player) : owner(player) {}
    ui::PropertiesHeader Header() override;
    ui::TransmissionInputs Transmission() override;
    CZMediaPlayer* const owner;
  };
  // The video settings dialog's sliders (player_dialogs.cpp).
  class VideoSettingsSiteImpl final : public ui::VideoSettingsSite {
   public:
    explicit VideoSettingsSiteImpl(CZMediaPlayer* player) : owner(player) {}
    int32_t Brightness() override;
    int32_t Contrast() override;
    void AdjustBrightness(int32_t value) override;
    void AdjustContrast(int32_t value) override;
    CZMediaPlayer* const owner;
  };
  void QueuePlayListReply(PlayListReply reply);
  void ApplyPlayListReplies();
  void CreatePlayListDialog();
  static constexpr UINT_PTR kSessionTimerId = 333;
  HRESULT StartSession();
  void UserStop();
  void EndOfPlayback();
  void StopProcedure();
  void OnSessionRequest(WPARAM what, LPARAM serial);
  void OnSessionTimer();
  void ShowPlaybackStatus(int32_t statusCode);
  session::RendererBridge& Renderer() { return m_sessionController.Renderer(); }
  void CreateRenderer();

  // Where the renderer bridge, the context menu and the dialogs plug in (player_hooks.cpp).
  void ShutDownRenderer();
  void AttachRenderer();
  void StopRenderer();
  void ResyncRenderer(bool keepFrames);
  void AskForCredentials();
  void RendererSetVideoPosition(int32_t x, int32_t y, int32_t width, int32_t height);
  bool RendererIsFullScreen();
  // The context menu (player_context_menu.cpp).
  void LoadContextMenu();
  void DestroyContextMenu();
  void ShowContextMenu(LPARAM lParam);
  void OpenPropertiesDialog();
  void OpenVideoSettingsDialog();
  void ShowAboutBox();
  void ClosePlayListDialog();
  void CloseSessionDialogs();

  InnerUnknown m_inner;
  IUnknown* m_pOuter;  // the outer unknown, or &m_inner when not aggregated
  volatile LONG m_cRef = 1;
  DWORD m_dwApartmentThread;

  // Connection points.
  com::ConnectionPoint m_cpEvents;
  com::ConnectionPoint m_cpPropertyNotify;

  // Embedding state.
  com::ComPtr<IOleClientSite> m_spClientSite;
  com::ComPtr<IOleAdviseHolder> m_spOleAdviseHolder;
  com::ComPtr<IDataAdviseHolder> m_spDataAdviseHolder;
  com::ComPtr<IAdviseSink> m_spViewAdviseSink;
  DWORD m_dwViewAdviseAspects = 0;
  DWORD m_dwViewAdviseFlags = 0;
  com::ComPtr<IUnknown> m_spSite;  // IObjectWithSite
  SIZEL m_sizeExtent;              // HIMETRIC; the persisted "_cx"/"_cy"
  bool m_bDirty = false;
  bool m_bPersistInitialised = false;
  DWORD m_dwSafetyEnabled = 0;
  LONG m_nFreezeEvents = 0;

  // In-place state (the control window is m_hWnd, while in-place active).
  com::ComPtr<IOleInPlaceSite> m_spInPlaceSite;
  com::ComPtr<IOleInPlaceSiteEx> m_spInPlaceSiteEx;  // when the site offers it
  com::ComPtr<IOleInPlaceFrame> m_spInPlaceFrame;
  com::ComPtr<IOleInPlaceUIWindow> m_spInPlaceDoc;
  bool m_bInPlaceActive = false;
  bool m_bUIActive = false;
  com::WindowClassUse m_windowClassUse;  // held while the control window exists

  // Children of the control window.
  ui::CZFlowCtrl m_wndFlowBar;
  ui::CStatusWindow m_wndStatus;
  ui::CPlayListDlg m_dlgPlayList;
  PlayListSiteImpl m_playListSite{this};
  com::CriticalSection m_playListLock;
  std::vector<PlayListReply> m_playListReplies;  // under m_playListLock
  ui::CZMediaControlProperties m_dlgProperties;
  PropertiesSiteImpl m_propertiesSite{this};
  ui::CVideoSettingsDlg m_dlgVideoSettings;
  VideoSettingsSiteImpl m_videoSettingsSite{this};

  com::ComPtr<IPicture> m_pLogo;
  SIZEL m_sizeLogo = {0, 0};  // HIMETRIC extent of the logo

  // The host's settings and the session's values; see their struct for who writes what.
  session::PlayerSettings m_settings;
  session::SessionValues m_session;
  // The password dialog that WM_ZM_CREDENTIALS shows for the grabber thread.
  credentials::CZMSPasswordDialog m_dlgPassword;
  // The playback session: its thread, events, transport, media buffer and renderer.
  GrabberSiteImpl m_grabberSite{this};
  session::SessionController m_sessionController{m_settings, m_session, m_grabberSite};
  UINT_PTR m_nTimerId = 0;                             // the one-second timer, while it runs
  std::optional<session::ReceivedFigures> m_received;  // its last sample; none without a transport
  HMENU m_hContextMenu = nullptr;                      // loaded with the control window
  // The view's layout (window's thread).
  int32_t m_nViewWidth = 0;
  int32_t m_nViewHeight = 0;
  int32_t m_nFlowBarHeight = 0;
  int32_t m_nSizeMark = 1;

  com::UniqueModule m_hMessageModule;  // "CustomMessages.dll", when present
};

}  // namespace zm::control

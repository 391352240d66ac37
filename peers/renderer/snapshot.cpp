#include "peers/renderer/snapshot.h"

#include <knownfolders.h>
#include <shlobj.h>
#include <wincodec.h>

#include <cstring>
#include <cwchar>
#include <vector>

#include "com/com_ptr.h"
#include "com/hresult.h"
#include "com/unique_handle.h"

namespace zm::renderer {
namespace {

void GlobalFreeFn(HGLOBAL block) { GlobalFree(block); }
using UniqueGlobal = com::UniqueResource<HGLOBAL, GlobalFreeFn, nullptr>;

bool FolderExists(const std::wstring& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// Creates the folder and any missing parents.
bool EnsureFolder(const std::wstring& path) {
  if (path.empty() || FolderExists(path)) return !path.empty();
  const size_t slash = path.find_last_of(L"\\/");
  if (slash != std::wstring::npos && slash > 2) EnsureFolder(path.substr(0, slash));
  return CreateDirectoryW(path.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS;
}

std::wstring UnusedPath(const std::wstring& folder, const std::wstring& base) {
  std::wstring path = folder + L"\\" + base + L".png";
  for (int counter = 2; GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; ++counter)
    path = folder + L"\\" + base + L"_" + std::to_wstring(counter) + L".png";
  return path;
}

// 24-bit rows (B, G, R), which every PNG encoder takes.
std::vector<BYTE> BgrRows(const Picture& picture) {
  std::vector<BYTE> rows(static_cast<size_t>(picture.width) * picture.height * 3);
  BYTE* out = rows.data();
  for (uint32_t pixel : picture.pixels) {
    *out++ = static_cast<BYTE>(pixel);
    *out++ = static_cast<BYTE>(pixel >> 8);
    *out++ = static_cast<BYTE>(pixel >> 16);
  }
  return rows;
}

HRESULT WritePng(const Picture& picture, const std::wstring& path) {
  com::ComPtr<IWICImagingFactory> factory;
  com::ComPtr<IWICStream> stream;
  com::ComPtr<IWICBitmapEncoder> encoder;
  com::ComPtr<IWICBitmapFrameEncode> frame;
  com::ComPtr<IPropertyBag2> options;
  ZM_RETURN_IF_FAILED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                                       factory.put_void()));
  ZM_RETURN_IF_FAILED(factory->CreateStream(stream.put()));
  ZM_RETURN_IF_FAILED(stream->InitializeFromFilename(path.c_str(), GENERIC_WRITE));
  ZM_RETURN_IF_FAILED(factory->CreateEncoder(GUID_ContainerFormatPng, nullptr, encoder.put()));
  ZM_RETURN_IF_FAILED(encoder->Initialize(stream.get(), WICBitmapEncoderNoCache));
  ZM_RETURN_IF_FAILED(encoder->CreateNewFrame(frame.put(), options.put()));
  ZM_RETURN_IF_FAILED(frame->Initialize(options.get()));
  ZM_RETURN_IF_FAILED(frame->SetSize(static_cast<UINT>(picture.width), static_cast<UINT>(picture.height)));
  WICPixelFormatGUID format = GUID_WICPixelFormat24bppBGR;
  ZM_RETURN_IF_FAILED(frame->SetPixelFormat(&format));
  if (format != GUID_WICPixelFormat24bppBGR) return WINCODEC_ERR_UNSUPPORTEDPIXELFORMAT;
  std::vector<BYTE> rows = BgrRows(picture);
  const UINT stride = static_cast<UINT>(picture.width) * 3;
  ZM_RETURN_IF_FAILED(
      frame->WritePixels(static_cast<UINT>(picture.height), stride, static_cast<UINT>(rows.size()), rows.data()));
  ZM_RETURN_IF_FAILED(frame->Commit());
  return encoder->Commit();
}

}  // namespace

std::wstring SnapshotBaseName(const wchar_t* name, const SYSTEMTIME& time) {
  std::wstring base = name && *name ? name : L"Snapshot";
  for (wchar_t& c : base)
    if (c < 32 || std::wcschr(L"<>:\"/\\|?*", c)) c = L'_';
  wchar_t stamp[32];
  swprintf(stamp, 32, L"_%04u%02u%02u_%02u%02u%02u", time.wYear, time.wMonth, time.wDay, time.wHour, time.wMinute,
           time.wSecond);
  return base + stamp;
}

std::wstring PicturesFolder() {
  std::wstring folder;
  PWSTR known = nullptr;
  if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_Pictures, KF_FLAG_CREATE, nullptr, &known)) && known) folder = known;
  CoTaskMemFree(known);
  if (folder.empty()) {
    wchar_t path[MAX_PATH] = {};
    if (SUCCEEDED(SHGetFolderPathW(nullptr, CSIDL_MYPICTURES | CSIDL_FLAG_CREATE, nullptr, SHGFP_TYPE_CURRENT, path)))
      folder = path;
  }
  return EnsureFolder(folder) ? folder : std::wstring();
}

HRESULT SaveSnapshot(const Picture& picture, const wchar_t* name, std::wstring* path) {
  if (picture.Empty()) return E_UNEXPECTED;
  const std::wstring folder = PicturesFolder();
  if (folder.empty()) return HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND);
  SYSTEMTIME now;
  GetLocalTime(&now);
  const std::wstring file = UnusedPath(folder, SnapshotBaseName(name, now));
  const HRESULT hr = WritePng(picture, file);
  if (FAILED(hr)) {
    DeleteFileW(file.c_str());  // nothing half-written stays behind
    return hr;
  }
  if (path) *path = file;
  return S_OK;
}

HRESULT CopyToClipboard(const Picture& picture, HWND owner) {
  if (picture.Empty()) return E_UNEXPECTED;
  const size_t bytes = picture.pixels.size() * 4;
  UniqueGlobal block(GlobalAlloc(GMEM_MOVEABLE, sizeof(BITMAPINFOHEADER) + bytes));
  if (!block) return E_OUTOFMEMORY;
  auto* header = static_cast<BITMAPINFOHEADER*>(GlobalLock(block.get()));
  if (!header) return E_OUTOFMEMORY;
  *header = BITMAPINFOHEADER{};
  header->biSize = sizeof *header;
  header->biWidth = picture.width;
  header->biHeight = picture.height;  // bottom-up, as clipboard readers expect most
  header->biPlanes = 1;
  header->biBitCount = 32;
  header->biCompression = BI_RGB;
  header->biSizeImage = static_cast<DWORD>(bytes);
  auto* rows = reinterpret_cast<BYTE*>(header + 1);
  const size_t stride = static_cast<size_t>(picture.width) * 4;
  for (int32_t y = 0; y < picture.height; ++y)
    std::memcpy(rows + (picture.height - 1 - y) * stride, picture.pixels.data() + y * picture.width, stride);
  GlobalUnlock(block.get());
  if (!OpenClipboard(owner)) return HRESULT_FROM_WIN32(GetLastError());
  EmptyClipboard();
  const bool placed = SetClipboardData(CF_DIB, block.get()) != nullptr;
  if (placed) block.detach();  // the clipboard owns it now
  CloseClipboard();
  return placed ? S_OK : E_FAIL;
}

}  // namespace zm::renderer

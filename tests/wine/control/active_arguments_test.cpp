// Null and unexpected arguments to the embedding interfaces of an in-place active control:
// each gets its documented HRESULT and the control keeps working.
#include "hosted_control.h"

namespace zm::tests {
namespace {

class ActiveArgumentsTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(hosted.created);
    ASSERT_EQ(hosted.Control().Activate(OLEIVERB_UIACTIVATE), S_OK);
  }
  HostedControl hosted;
};

TEST_F(ActiveArgumentsTest, InPlaceInterfacesRefuseNullPointersAndBadRectangles) {
  ComPtr<IOleInPlaceObjectWindowless> inPlace = hosted.Control().Query<IOleInPlaceObjectWindowless>();
  ComPtr<IOleInPlaceActiveObject> active = hosted.Control().Query<IOleInPlaceActiveObject>();
  ASSERT_TRUE(inPlace && active);
  RECT rect = {0, 0, 100, 100};
  EXPECT_EQ(inPlace->SetObjectRects(nullptr, &rect), E_POINTER);
  EXPECT_EQ(inPlace->SetObjectRects(&rect, nullptr), E_POINTER);
  RECT inverted = {100, 100, 0, 0};
  EXPECT_EQ(inPlace->SetObjectRects(&inverted, &rect), E_INVALIDARG);
  EXPECT_EQ(inPlace->GetWindow(nullptr), E_POINTER);
  EXPECT_EQ(inPlace->ContextSensitiveHelp(TRUE), E_NOTIMPL);
  EXPECT_EQ(inPlace->ReactivateAndUndo(), E_NOTIMPL);
  EXPECT_EQ(inPlace->OnWindowMessage(WM_PAINT, 0, 0, nullptr), E_POINTER);
  LRESULT result = 5;
  EXPECT_EQ(inPlace->OnWindowMessage(WM_PAINT, 0, 0, &result), S_FALSE);
  EXPECT_EQ(result, 0);
  EXPECT_EQ(inPlace->GetDropTarget(nullptr), E_POINTER);
  EXPECT_EQ(active->TranslateAccelerator(nullptr), E_POINTER);
  MSG msg = {hosted.ControlWindow(), WM_KEYDOWN, VK_TAB, 0, 0, {0, 0}};
  EXPECT_EQ(active->TranslateAccelerator(&msg), S_FALSE);
  EXPECT_EQ(active->ResizeBorder(nullptr, nullptr, TRUE), E_POINTER);
  EXPECT_EQ(active->OnFrameWindowActivate(TRUE), S_OK);
  EXPECT_EQ(active->OnDocWindowActivate(FALSE), S_OK);
  EXPECT_EQ(active->EnableModeless(FALSE), S_OK);
  EXPECT_TRUE(IsWindow(hosted.ControlWindow()));
}

TEST_F(ActiveArgumentsTest, ObjectControlAndViewInterfacesRefuseBadArguments) {
  ComPtr<IOleObject> object = hosted.Control().Query<IOleObject>();
  ComPtr<IOleControl> control = hosted.Control().Query<IOleControl>();
  ComPtr<IViewObjectEx> view = hosted.Control().Query<IViewObjectEx>();
  ComPtr<IQuickActivate> quick = hosted.Control().Query<IQuickActivate>();
  ASSERT_TRUE(object && control && view && quick);
  EXPECT_EQ(object->Close(77), E_INVALIDARG);
  SIZEL negative = {-5, 10};
  EXPECT_EQ(object->SetExtent(DVASPECT_CONTENT, &negative), E_INVALIDARG);
  EXPECT_EQ(object->SetExtent(DVASPECT_ICON, &negative), DV_E_DVASPECT);
  EXPECT_EQ(object->GetExtent(DVASPECT_CONTENT, nullptr), E_POINTER);
  EXPECT_EQ(object->Unadvise(12345), OLE_E_NOCONNECTION);
  EXPECT_EQ(control->OnMnemonic(nullptr), E_POINTER);
  EXPECT_EQ(control->GetControlInfo(nullptr), E_POINTER);
  EXPECT_EQ(control->OnAmbientPropertyChange(DISPID_UNKNOWN), S_OK);
  EXPECT_EQ(control->FreezeEvents(TRUE), S_OK);
  EXPECT_EQ(control->FreezeEvents(FALSE), S_OK);
  EXPECT_EQ(view->Draw(DVASPECT_ICON, -1, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, 0),
            DV_E_DVASPECT);
  HDC dc = GetDC(hosted.ControlWindow());
  // An active control paints its own window; without bounds there is nothing more to draw.
  EXPECT_EQ(view->Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, dc, nullptr, nullptr, nullptr, 0), S_OK);
  RECTL empty = {10, 10, 10, 40};
  EXPECT_EQ(view->Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, dc, &empty, nullptr, nullptr, 0), S_OK);
  ReleaseDC(hosted.ControlWindow(), dc);
  QACONTAINER container{};
  QACONTROL result{};
  container.cbSize = 4;
  result.cbSize = sizeof result;
  EXPECT_EQ(quick->QuickActivate(&container, &result), E_INVALIDARG);
  EXPECT_EQ(quick->SetContentExtent(nullptr), E_POINTER);
  EXPECT_EQ(quick->GetContentExtent(nullptr), E_POINTER);
  // The control is still active and in one piece.
  EXPECT_TRUE(IsWindow(hosted.ControlWindow()));
  EXPECT_TRUE(hosted.Control().Site()->InPlaceActive());
}

}  // namespace
}  // namespace zm::tests

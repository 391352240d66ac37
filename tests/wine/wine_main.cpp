// Runs the GoogleTest cases of a Windows test client on an OLE apartment thread, as a host would.
#include <windows.h>
#include <ole2.h>

#include <gtest/gtest.h>

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  if (FAILED(OleInitialize(nullptr))) return 2;
  int result = RUN_ALL_TESTS();
  OleUninitialize();
  return result;
}

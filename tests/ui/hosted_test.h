// A test fixture whose suite shares one host window (a top-level window
// takes long to map under Wine); each test starts with its records empty.
#pragma once
#include <gtest/gtest.h>

#include "ui_host.h"

template <int Width, int Height, COLORREF Back = COLORREF(-1)>
class HostedTest : public ::testing::Test {
protected:
  static void SetUpTestSuite() {
    s_host = new CTestHost(WM_USER);
    s_host->Make(Width, Height, "Toolkit", Back);
  }
  static void TearDownTestSuite() {
    delete s_host;
    s_host = nullptr;
  }
  void SetUp() override {
    ASSERT_TRUE(s_host && ::IsWindow(s_host->m_hWnd));
    s_host->m_notices.clear();
    s_host->m_onNotice = nullptr;
  }
  static inline CTestHost* s_host = nullptr;
  CTestHost& host = *s_host;
};

// Small services every part of the client uses: the translated message box,
// message boxes posted from worker threads, device result texts, and the
// current user with its rights (user_rights.h).
#pragma once
#include <afxwin.h>

#include "user_rights.h"

// The product phrase: the default title of the client's boxes.
constexpr char kProductName[] = "Dravenor";

// The one translated message box: text and caption pass through
// TranslateString (a null caption gives the translated product phrase).
int TranslatedMessageBox(CWnd* owner, const char* text, const char* caption, UINT type);
// A box whose text is already composed (translated parts filled in).
int ComposedMessageBox(CWnd* owner, const CString& text, const char* caption, UINT type);

// ------------------------------------------------- boxes from other threads
// Window message 2024: lParam is a PostedMessageBox the receiver shows and
// frees (ShowPostedMessageBox).
#define WM_POST_MESSAGE_BOX 0x7E8

struct PostedMessageBox {
  CString text;
  CString caption;
  UINT type = MB_OK;
};

// The window that receives posted boxes: the main dialog sets itself when
// its window is made and clears it (null) when the window goes.
void SetMessageBoxWindow(HWND window);
// Builds the record on the heap and posts it. FALSE (record freed) when
// there is no window to post to or the post fails. Any thread.
BOOL PostMessageBox(const char* text, const char* caption, UINT type);
// The receiver's side, on the UI thread: shows the box and frees the record.
LRESULT ShowPostedMessageBox(CWnd* owner, LPARAM record);

// ----------------------------------------------------- device result codes
// English text of a device result code, null when the code is unknown.
const char* DeviceErrorEnglish(int code);
// The translated text of the code; an unknown code gives the translated
// "Error Code" and the number ("%s %d").
CString GetErrorText(int code);
CString& GetErrorText(CString& out, int code);

// Our small stand-in for the dialog framework: dialogs built from templates,
// a command table per dialog class, data exchange with controls, default OK
// and Cancel handling, scroll bar controls and the application object.
#pragma once
#include <map>
#include <memory>
#include <string>

#include "framework/dialog_template.h"
#include "framework/platform.h"
#include "framework/win_types.h"

class CScrollBar {
 public:
  CScrollBar(IPlatform& platform, int id) : m_platform(platform), m_id(id) {}
  int GetDlgCtrlID() const { return m_id; }
  int GetScrollPos() const { return m_nPos; }
  void GetScrollRange(int* minPos, int* maxPos) const {
    *minPos = m_nMin;
    *maxPos = m_nMax;
  }
  // Positions outside the range are clamped, as the platform's bars do.
  void SetScrollPos(int pos, BOOL redraw = TRUE);
  void SetScrollRange(int minPos, int maxPos, BOOL redraw = TRUE);

 private:
  IPlatform& m_platform;
  int m_id;
  int m_nMin = 0;
  int m_nMax = 0;
  int m_nPos = 0;
};

// One message as the platform delivers it to a dialog.
struct CMessage {
  unsigned message = 0;     // WM_...
  unsigned id = 0;          // WM_COMMAND: control id; WM_SYSCOMMAND: command
  unsigned code = 0;        // WM_COMMAND: notification; WM_xSCROLL: scroll code
  int pos = 0;              // WM_xSCROLL: thumb position
  long lParam = 0;          // WM_SYSCOMMAND
  CScrollBar* scrollBar = nullptr;
  CDropPackage* drop = nullptr;

  // The messages the platforms send, each built in one place.
  static CMessage Command(int controlId, unsigned code = BN_CLICKED);
  static CMessage SysCommand(unsigned commandId);
  static CMessage Paint();
  static CMessage Scroll(bool horizontal, unsigned code, int pos, CScrollBar* bar);
  static CMessage DropFiles(CDropPackage* package);
};

class CDialog;

class CDataExchange {
 public:
  CDataExchange(CDialog& dialog, BOOL saveAndValidate)
      : m_pDlgWnd(&dialog), m_bSaveAndValidate(saveAndValidate) {}
  CDialog* m_pDlgWnd;
  BOOL m_bSaveAndValidate;  // TRUE: controls to members
};

void DDX_Text(CDataExchange* pDX, int id, std::string& value);
// The radio group of count buttons starting at firstId: index of the checked
// button, -1 when none is checked.
void DDX_Radio(CDataExchange* pDX, int firstId, int count, int& value);

class CDialog {
 public:
  CDialog(const DialogTemplate& layout, IPlatform& platform);
  virtual ~CDialog();
  CDialog(const CDialog&) = delete;
  CDialog& operator=(const CDialog&) = delete;

  int TemplateId() const { return m_layout.id; }
  const DialogTemplate& Layout() const { return m_layout; }
  IPlatform& Platform() { return m_platform; }

  // Runs the dialog modally through the platform; returns IDOK or IDCANCEL.
  int DoModal();
  // Called by the platform once the window exists.
  virtual BOOL OnInitDialog();
  virtual void DoDataExchange(CDataExchange* pDX);
  // Dispatches one message through the class's command table; anything the
  // table does not name goes to the default handling.
  virtual void OnMessage(const CMessage& msg);

  BOOL UpdateData(BOOL saveAndValidate = TRUE);
  void SetDlgItemText(int id, const std::string& text);
  std::string GetDlgItemText(int id);
  CScrollBar* GetScrollBar(int id);
  // Invalidates the whole client area with erasing and updates it at once.
  void RedrawNow();

  virtual void OnOK();
  virtual void OnCancel();

 protected:
  // Default handling of a message that the command table does not handle.
  void DefaultHandling(const CMessage& msg);

 private:
  const DialogTemplate& m_layout;
  IPlatform& m_platform;
  std::map<int, std::unique_ptr<CScrollBar>> m_scrollBars;
};

class CWinApp {
 public:
  virtual ~CWinApp() = default;
  virtual BOOL InitInstance() { return FALSE; }
  CDialog* m_pMainWnd = nullptr;
};

// The platform the application runs on; set by main before InitInstance.
IPlatform& AfxGetPlatform();
void AfxSetPlatform(IPlatform* platform);

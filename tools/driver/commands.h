#pragma once

#include "driver_common.h"

namespace driver {

// Each command prints its result to stdout and throws DriverError when it fails.
void CmdWaitWindow(const Options& o);
void CmdWaitClose(const Options& o);
void CmdGetText(const Options& o);
void CmdSetText(const Options& o);
void CmdFocus(const Options& o);
void CmdGetFocus(const Options& o);
void CmdListEntries(const Options& o);
void CmdGetSelection(const Options& o);
void CmdSelect(const Options& o);
void CmdGetCheck(const Options& o);
void CmdClick(const Options& o);
void CmdSysCommand(const Options& o);
void CmdKey(const Options& o);
void CmdClose(const Options& o);
void CmdWaitMsgBox(const Options& o);
void CmdAnswerMsgBox(const Options& o);
void CmdFileOpen(const Options& o);
void CmdDropFile(const Options& o);
void CmdMenuItems(const Options& o);
void CmdFont(const Options& o);
void CmdTextFit(const Options& o);
void CmdDpiChanged(const Options& o);
void CmdList(const Options& o);
void CmdCodePage(const Options& o);

}  // namespace driver

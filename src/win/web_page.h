// The embedded web page of a layout row: the system's web browser control in a child
// window of its own, hosted by the program itself so that the host decides what the page
// may do. It shows only an https:// address (SecurePageAddress): any other address, or
// none, leaves the window empty and nothing is fetched. The page gets no scripts, Java,
// ActiveX controls, behaviours, frames or refreshes of its own (the host's answer to the
// browser's download-control question), no dialogs (silent), no new windows, no file
// downloads and no navigation away from its address: each is cancelled as the browser
// asks for it.
#pragma once

#include <windows.h>

#include <string>

// Makes the window and, for an https address, the browser in it, navigated there.
HWND CreateWebPage(HWND parent, int x, int y, int w, int h, UINT id, const std::string& address);

// The address the page's browser was sent to; empty when it was sent nowhere (no https
// address, or no browser engine on the machine).
std::string WebPageAddress(HWND page);

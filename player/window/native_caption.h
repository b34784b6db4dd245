#pragma once
// An empty window title that stays empty where the user sees it.
class QWidget;

// Qt gives the window manager the application's name in place of an empty
// title. When `window`'s title is empty and it has an X11 window, this writes
// the empty title (_NET_WM_NAME and WM_NAME) itself; otherwise it does
// nothing. Call it after every change of the title and once the native
// window exists.
void KeepEmptyCaptionEmpty(QWidget* window);

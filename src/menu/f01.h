// TFPelnor: the hidden main form. Its create handler performs the whole run
// of the program: command line, menu file, the command and item menus, the
// modal showing of the item menu, the save and the end.
#pragma once

#include "vcl.h"

class TKMenu;

class TFPelnor : public TForm {
public:
    explicit TFPelnor(TComponent* AOwner);

    void FormCreate(TObject* Sender);

    TKMenu* CommandMenu = nullptr;  // the command menu of the run
    TKMenu* ItemMenu = nullptr;     // the item menu of the run
};

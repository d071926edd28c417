// Unit FMan: the bar's main form TFDovrak, a borderless top-most strip that
// carries the row of buttons.
#pragma once

#include "vcl.h"

class TFDovrak : public TForm {
public:
    explicit TFDovrak(TComponent* AOwner);
    ~TFDovrak() override;

    void Dispatch(TMessage& Message) override;

    // The colour FormPaint draws the bar with.
    TColor FormColor = 0x984E00;

    void FormCreate(TObject* Sender);
    void FormClose(TObject* Sender, TCloseAction& Action);
    void FormKeyDown(TObject* Sender, WORD& Key, TShiftState Shift);
    void FormPaint(TObject* Sender);

    // Called when a click's handling has returned: a close that was refused
    // meanwhile is made again from the message loop.
    void ClickEnded();

protected:
    void CreateParams(TCreateParams& Params) override;

    void WMNCHitTest(TMessage& Message);
    void WMEndSession(TMessage& Message);
    void WMDestroyClipboard(TMessage& Message);
    void WMCopyData(TMessage& Message);

private:
    bool FClosing = false;  // FormClose is running
    bool FClosePending = false;  // a close came while a click was handled
};

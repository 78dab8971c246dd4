#include "break_dialogs.h"

#include "events.h"

#include "core/debug_engine.h"

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/dialog.h>
#include <wx/filedlg.h>
#include <wx/msgdlg.h>
#include <wx/radiobox.h>
#include <wx/sizer.h>
#include <wx/spinctrl.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

namespace {

// A dialog of labelled fields over OK and Cancel; Return is OK.
class FieldDialog : public wxDialog {
public:
    FieldDialog(wxWindow *parent, const wxString &title) : wxDialog(parent, wxID_ANY, title)
    {
        grid_ = new wxFlexGridSizer(2, 6, 8);
        grid_->AddGrowableCol(1);
    }
    wxTextCtrl *text(const wxString &label, const wxString &hint)
    {
        auto *field = new wxTextCtrl(this, wxID_ANY, "", wxDefaultPosition, wxSize(220, -1));
        field->SetHint(hint);
        add(label, field);
        return field;
    }
    void add(const wxString &label, wxWindow *control)
    {
        grid_->Add(new wxStaticText(this, wxID_ANY, label), 0, wxALIGN_CENTER_VERTICAL);
        grid_->Add(control, 1, wxEXPAND);
    }
    void add(const wxString &label, wxSizer *controls)
    {
        grid_->Add(new wxStaticText(this, wxID_ANY, label), 0, wxALIGN_CENTER_VERTICAL);
        grid_->Add(controls, 1, wxEXPAND);
    }
    void finish(wxWindow *first)
    {
        auto *top = new wxBoxSizer(wxVERTICAL);
        top->Add(grid_, 1, wxEXPAND | wxALL, 10);
        top->Add(CreateStdDialogButtonSizer(wxOK | wxCANCEL), 0, wxEXPAND | wxALL, 10);
        SetSizerAndFit(top);
        first->SetFocus();
    }
    // Shows the dialog until `accept` returns "" (done) or Cancel.
    template <typename F> bool run(F accept)
    {
        while (ShowModal() == wxID_OK) {
            std::string why = accept();
            if (why.empty())
                return true;
            event_log("debugger refused: %s", why.c_str());
            wxMessageBox(wxString::FromUTF8(why), "", wxOK, this);
        }
        return false;
    }

private:
    wxFlexGridSizer *grid_;
};

std::string text_of(wxTextCtrl *field)
{
    return std::string(field->GetValue().utf8_str());
}

} // namespace

std::string break_add_dialog(wxWindow *parent)
{
    FieldDialog d(parent, "Add breakpoint");
    wxTextCtrl *address = d.text("Address or label:", "F81D, ADD16, LOOP+4");
    wxTextCtrl *condition = d.text("Condition:", "optional: A == 0x41, R10 != 0, [C123] >= 80");
    auto *from = new wxSpinCtrl(&d, wxID_ANY, "1", wxDefaultPosition, wxDefaultSize, wxSP_ARROW_KEYS, 1, 1000000000, 1);
    d.add("Stop from hit:", from);
    d.finish(address);
    std::string done;
    d.run([&] {
        std::string why;
        int id = orv_break_add(text_of(address), text_of(condition), from->GetValue(), why);
        for (const orv_breakpoint &b : orv_breakpoints())
            if (b.id == id)
                done = "Breakpoint " + orv_break_describe(b);
        return why;
    });
    if (!done.empty())
        event_log("debugger added %s", done.c_str());
    return done;
}

std::string watch_add_dialog(wxWindow *parent)
{
    FieldDialog d(parent, "Add watchpoint");
    wxTextCtrl *range = d.text("Address or range:", "C010, C000..C00F, COUNTER, P6, R10");
    auto *read = new wxCheckBox(&d, wxID_ANY, "Reads");
    auto *write = new wxCheckBox(&d, wxID_ANY, "Writes");
    write->SetValue(true);
    auto *access = new wxBoxSizer(wxHORIZONTAL);
    access->Add(read, 0, wxRIGHT, 12);
    access->Add(write);
    d.add("Stop after:", access);
    d.finish(range);
    std::string done;
    d.run([&] {
        std::string why;
        int id = orv_watch_add(text_of(range), read->GetValue(), write->GetValue(), why);
        for (const orv_watchpoint &w : orv_watchpoints())
            if (w.id == id)
                done = "Watchpoint " + orv_watch_describe(w);
        return why;
    });
    if (!done.empty())
        event_log("debugger added %s", done.c_str());
    return done;
}

std::string trace_start_dialog(wxWindow *parent)
{
    FieldDialog d(parent, "Trace to file");
    const wxString kinds[] = {"Trace log lines", "Instructions (address, bytes, registers after)"};
    auto *kind = new wxRadioBox(&d, wxID_ANY, "Write", wxDefaultPosition, wxDefaultSize, 2, kinds, 1);
    d.add("", kind);
    auto *path = new wxTextCtrl(&d, wxID_ANY, "", wxDefaultPosition, wxSize(220, -1));
    path->SetHint("trace.txt");
    auto *browse = new wxButton(&d, wxID_ANY, "Choose...");
    auto *file = new wxBoxSizer(wxHORIZONTAL);
    file->Add(path, 1, wxALIGN_CENTER_VERTICAL | wxRIGHT, 4);
    file->Add(browse);
    d.add("File:", file);
    browse->Bind(wxEVT_BUTTON, [&](wxCommandEvent &) {
        wxFileDialog files(&d, "Trace to file", "", path->GetValue(), "Text files (*.txt)|*.txt|All files|*",
                           wxFD_SAVE);
        if (files.ShowModal() == wxID_OK)
            path->ChangeValue(files.GetPath());
    });
    auto *frames = new wxSpinCtrl(&d, wxID_ANY, "0", wxDefaultPosition, wxDefaultSize, wxSP_ARROW_KEYS, 0, 1000000000, 0);
    d.add("Frames (0: until a stop):", frames);
    d.finish(path);
    std::string done;
    d.run([&] {
        const orv_trace_kind k = kind->GetSelection() == 0 ? ORV_TRACE_LOG : ORV_TRACE_INSTRUCTIONS;
        const std::string name = text_of(path);
        if (name.empty())
            return std::string("Name the file to write the trace to");
        std::string why = orv_trace_file_start(k, name, frames->GetValue());
        if (why.empty())
            done = std::string("Tracing ") + (k == ORV_TRACE_LOG ? "the log" : "instructions") + " to " + name +
                   (frames->GetValue() ? " for " + std::to_string(frames->GetValue()) + " frames" : " until a stop");
        return why;
    });
    if (!done.empty())
        event_log("debugger %s", done.c_str());
    return done;
}

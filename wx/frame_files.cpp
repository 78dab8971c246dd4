// Files dropped on the window, and the title that names what is loaded.
#include "main_frame.h"

#include "events.h"
#include "pane.h"
#include "screen.h"
#include "tape.h"

#include "core/state.h"
#include "frontend/title_text.h"

#include <wx/dnd.h>
#include <wx/msgdlg.h>

#include <cstring>
#include <strings.h>

namespace {

bool ends_with(const std::string &name, const char *suffix)
{
    size_t n = std::strlen(suffix);
    return name.size() > n && strcasecmp(name.c_str() + name.size() - n, suffix) == 0;
}

// A save state's name: ".st1" to ".st9", as the slots are named.
bool is_state_name(const std::string &name)
{
    if (name.size() < 5)
        return false;
    std::string end = name.substr(name.size() - 4);
    return strncasecmp(end.c_str(), ".st", 3) == 0 && end[3] >= '1' && end[3] <= '9';
}

class file_drop : public wxFileDropTarget {
public:
    explicit file_drop(MyFrame *frame) : frame_(frame) {}

    bool OnDropFiles(wxCoord, wxCoord, const wxArrayString &files) override
    {
        // Loaded once the drop is over: a load may show a message box.
        wxArrayString paths = files;
        MyFrame *frame = frame_;
        frame->CallAfter([frame, paths] {
            for (const wxString &path : paths)
                frame->load_dropped(path);
        });
        return !files.empty();
    }

private:
    MyFrame *frame_;
};

} // namespace

void MyFrame::accept_drops()
{
    SetDropTarget(new file_drop(this));
    panel_->SetDropTarget(new file_drop(this));
}

bool MyFrame::load_dropped(const wxString &path)
{
    std::string name(path.utf8_str());
    event_log("dropped %s", name.c_str());
    if (ends_with(name, ".wav"))
        return load_tape(path);
    if (!is_state_name(name))
        return load_rom(path);
    std::string note;
    std::string error = orv_state_load_file(name, note);
    if (!error.empty()) {
        show_status(error);
        return false;
    }
    show_status("state loaded from " + name + (note.empty() ? "" : ". " + note));
    screen_frame_ready();
    panel_->Refresh(true);
    machine_changed();
    update_title();
    return true;
}

void MyFrame::update_title()
{
    std::string tape_path = tape().loaded() ? tape().path() : "";
    SetTitle(wxString::FromUTF8(title_text(title_base_, cartridge_, tape_path)));
}

#pragma once
// The hourglass over the program while an exchange with the panel (or a firmware replacement)
// runs. While the program asks the user something (a message box, a file dialog) the cursor is
// the normal one: the user is asked, not kept waiting.
namespace kerma {

class BusyCursor {
  public:
    static void setLineBusy(bool busy);

    // Held while a question or a dialog is up.
    class Asking {
      public:
        Asking();
        ~Asking();
        Asking(const Asking&) = delete;
        Asking& operator=(const Asking&) = delete;
    };

  private:
    static void apply();

    static inline bool lineBusy_ = false;
    static inline int asking_ = 0;
    static inline bool shown_ = false;
};

}  // namespace kerma

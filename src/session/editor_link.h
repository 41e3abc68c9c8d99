#pragma once
// The link as the editor window sees it: what each outcome of an exchange does to the editor,
// the chains behind the read, write, connect and disconnect commands, and the identification of
// a connected panel. Everything here runs in the UI thread; the exchanges call in through
// LinkHost. No widgets: the window shows the editor's model.
#include <string>

#include "exchange.h"
#include "k740_editor.h"

namespace kerma {

class EditorSession;

class EditorLink final : public LinkHost {
  public:
    // The session's window, configuration, safety net and firmware replacement take part in
    // what the link's steps do to the editor.
    explicit EditorLink(EditorSession& session);

    // Editor commands.
    void readCommand();
    void writeCommand();
    void disconnectCommand();
    void connectCommand();
    // The port is open and the handshake started (the main window's connect, the reconnect).
    void linkOpened();

    // A chain of exchanges runs: nothing may start another or change what the editor shows.
    [[nodiscard]] bool chainRunning() const { return chain_ != Chain::None; }
    // A write is on the line: ending it may leave the panel half-written.
    [[nodiscard]] bool writing() const { return chain_ == Chain::Write; }
    // The user agreed to end the running write: the exchange stops where it stands.
    void breakOffWrite();

    // The editor's link buttons for a link that is up or down; applied only while the editor is
    // open.
    void setLinkButtons(bool connected);

    // LinkHost, called by the exchanges in the UI thread.
    void outcome(const LinkOutcome& outcome) override;
    void progress(LinkOperation op, int done, int total) override;
    // Identification of the panel from the identification read's settings block.
    void identified(Block settings) override;
    void configurationRead(Block settings, Block codes) override;
    void codesFrameSent() override;
    void codesFrameRefused() override;
    void configurationWritten() override;
    void uploadReady() override;
    void uploadEnded(bool accepted) override;

  private:
    enum class Chain { None, Connect, Read, Write };

    [[nodiscard]] std::string onlineText() const;
    void chainStarted(Chain chain);
    void chainEnded();
    // The running write's codes frame is on the line and the settings block not taken.
    [[nodiscard]] bool writeCut() const;
    void tellWriteCut();
    void portGone();
    void setFileCommands(bool enabled);
    void beginChain(const char* what);
    void startChain(LinkStep first);
    void endChainProgress();
    void enableReadWrite(bool pages);
    void acceptPanel(const VersionInfo& version, int variant);
    void replaceFirmware(int versionByte, int variant);
    void endReadBeforeReplace(int32_t code);

    [[nodiscard]] bool readBeforeReplace(int panelVariant, int newVariant) const;
    void showChainProgress(int done, int total);

    EditorSession& session_;
    K740Editor& editor_;
    LinkDriver& driver_;
    Chain chain_ = Chain::None;
    // The running write's codes frame is on the line and the panel may have taken it: until the
    // settings block is taken too, the panel may hold new codes with old settings.
    bool codesSent_ = false;
    int chainDone_ = 0;         // bytes of the chain's finished frames
    int chainTotal_ = 0;        // bytes of all frames of the chain (0: no chain shows progress)
    int replaceAfterRead_ = 0;  // the variant a replacement gives once the panel has been read
};


}  // namespace kerma

#include "outcome_text.h"

namespace kerma {
namespace {

const char* CauseText(LinkCause cause) {
    switch (cause) {
        case LinkCause::NotReady:
            return "прибор не сообщил о готовности";
        case LinkCause::BlockCrc:
            return "контрольная сумма блока не сошлась";
        case LinkCause::Refused:
            return "прибор не принял блок";
        case LinkCause::NoStatus:
            return "прибор не ответил о записи блока";
        case LinkCause::EchoMismatch:
            return "эхо не совпало с переданным байтом";
        case LinkCause::UploadRefused:
            return "прибор не принял прошивку";
        case LinkCause::BrokeOff:
            return "прибор перестал отвечать";
        default:
            return "";
    }
}

// What the handshake's tries saw, as the second line of "Нет ответа от прибора".
const char* NoAnswerHint(LinkCause cause) {
    switch (cause) {
        case LinkCause::NoEcho:
            return "Эхо не приходит: проверьте кабель, адаптер и питание прибора.";
        case LinkCause::EchoOnly:
            return "Эхо приходит, но прибор не отвечает: проверьте, что к линии подключён прибор "
                   "Kerma-740 и он включён.";
        default:
            return "";
    }
}

}  // namespace

std::string OutcomeText(int32_t code) {
    switch (code) {
        case LinkResult::NoAnswer:
            return "Нет ответа от прибора";
        case LinkResult::WrongType:
            return "Подключенный прибор имеет другой тип";
        case LinkResult::HandshakeCrc:
        case LinkResult::BlockFailed:
            return "Ошибка: Dallas CRC";
        case LinkResult::TimeOut:
            return "Ошибка: Time-Out";
        case LinkResult::FirmwareLoaded:
            return "Прошивка загружена успешно";
        case LinkResult::Stopped:
        case LinkResult::PortFailed:
            return "Нет связи с прибором";
        case LinkResult::Linked:
            return "Связь установлена. Идет проверка версии программного обеспечения";
        case LinkResult::LineBusy:
            return "Прибор ещё передаёт данные: ожидание тишины на линии...";
        default:
            return "";
    }
}

std::string OutcomeText(const LinkOutcome& outcome, int panelType) {
    std::string text = OutcomeText(outcome.code);
    if (outcome.code == LinkResult::WrongType)
        return text + " (тип " + std::to_string(panelType) + ")";
    if (outcome.code == LinkResult::NoAnswer) {
        const std::string hint = NoAnswerHint(outcome.cause);
        return hint.empty() ? text : text + "\n" + hint;
    }
    const std::string cause = CauseText(outcome.cause);
    return cause.empty() ? text : text + " (" + cause + ")";
}

std::string PortGoneText(const std::string& portName) {
    return "Порт " + portName + " пропал: адаптер отключён от компьютера.";
}

std::string WriteCutText(const std::string& formerBackup) {
    std::string text =
        "Запись не завершена: в приборе могут быть новые коды и старые настройки. Запишите "
        "конфигурацию ещё раз.";
    if (!formerBackup.empty())
        text += "\nПрежняя конфигурация прибора сохранена в файле " + formerBackup;
    return text;
}

}  // namespace kerma

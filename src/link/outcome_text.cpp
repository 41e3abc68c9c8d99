#include "outcome_text.h"

namespace kerma {

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
        default:
            return "";
    }
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

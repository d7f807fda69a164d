#include "material.h"

#include "data/conversions.h"
#include "seams/messages.h"

namespace journal {

using data::rounded;

float materialRate(const QString& materialName, double metalMass, double paintQuantity) {
    const bool paint = materialName.toUpper().contains(QStringLiteral("RAL"));
    return float(rounded(paint ? paintQuantity : metalMass, 4));
}

double proposedConsumption(const QString& positionQuantity, float rate) {
    return rounded(data::toDouble(positionQuantity) * double(rate), 4);
}

QString refusalText(ConsumptionRefusal refusal) {
    switch (refusal) {
    case ConsumptionRefusal::NoMaterial:
        return seams::kAllFieldsRequired;
    case ConsumptionRefusal::AboveConsignment:
        return QStringLiteral("Расход ТМЦ не может быть больше партии!");
    case ConsumptionRefusal::Zero:
        return QStringLiteral("Расход ТМЦ не может быть 0!");
    case ConsumptionRefusal::None:
        break;
    }
    return QString();
}

double consumptionValue(const QString& quantity) {
    return quantity.isEmpty() ? 0.0 : data::toDouble(quantity);
}

ConsumptionRefusal checkConsumption(bool materialShown, const QString& quantity,
                                    std::optional<double> consignmentLeft) {
    if (!materialShown)
        return ConsumptionRefusal::NoMaterial;
    const double value = consumptionValue(quantity);
    if (rounded(value, 3) > rounded(consignmentLeft.value_or(0.0), 3))
        return ConsumptionRefusal::AboveConsignment;
    if (value == 0)
        return ConsumptionRefusal::Zero;
    return ConsumptionRefusal::None;
}

} // namespace journal

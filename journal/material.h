#pragma once

#include <QString>

#include <optional>

namespace journal {

// The material per piece of product that a consumption is proposed from: paint (a material
// whose name holds "RAL" in any case) by the product's paint quantity per piece, anything
// else by its metal mass per piece; rounded to 4 decimals, as a 32-bit value.
float materialRate(const QString& materialName, double metalMass, double paintQuantity);

// The proposal for the position's quantity (as typed, decimal comma): quantity × rate,
// rounded to 4 decimals. A quantity that is no decimal number throws the conversion error.
double proposedConsumption(const QString& positionQuantity, float rate);

enum class ConsumptionRefusal {
    None,
    NoMaterial,       // "Все поля должны быть заполнены!"
    AboveConsignment, // "Расход ТМЦ не может быть больше партии!"
    Zero,             // "Расход ТМЦ не может быть 0!"
};
QString refusalText(ConsumptionRefusal refusal);

// The checks of a consumption: a material must be chosen; the quantity (empty counts as 0)
// may not exceed what the chosen consignment holds (nullopt: the material has none),
// both compared at 3 decimals; and it may not be 0. A quantity that is no decimal number
// throws the conversion error.
ConsumptionRefusal checkConsumption(bool materialShown, const QString& quantity,
                                    std::optional<double> consignmentLeft);

// The quantity text as the material row stores it ("" counts as 0).
double consumptionValue(const QString& quantity);

} // namespace journal

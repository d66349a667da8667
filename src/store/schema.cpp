#include "store/schema.h"

namespace mivora {

namespace {

void addNumbered(std::vector<FieldDef>& fields, const std::string& prefix, int count,
                 FieldType type) {
    for (int i = 1; i <= count; ++i)
        fields.push_back({prefix + std::to_string(i), type});
}

} // namespace

const std::vector<std::string>& vehicleFieldNames() {
    static const std::vector<std::string> names = {"使用者ふりがな",
                                                   "電話番号",
                                                   "使用者",
                                                   "使用者住所",
                                                   "自動車登録番号",
                                                   "登録年月日",
                                                   "初度登録年月",
                                                   "型式",
                                                   "車台番号",
                                                   "原動機の型式",
                                                   "自動車型式指定番号",
                                                   "類別区分番号",
                                                   "有効期間の満了する日",
                                                   "自賠責保険機関",
                                                   "自賠責証明番号",
                                                   "所有者",
                                                   "所有者住所",
                                                   "使用の本拠の位置",
                                                   "自動車の種別",
                                                   "用途",
                                                   "自家用事業用の別",
                                                   "車体の形状",
                                                   "車名",
                                                   "乗車定員",
                                                   "定員",
                                                   "最大積載量",
                                                   "積載量",
                                                   "車両重量",
                                                   "車両総重量",
                                                   "総重量",
                                                   "長さ",
                                                   "幅",
                                                   "高さ",
                                                   "総排気量又は定格出力",
                                                   "定格出力",
                                                   "燃料の種類",
                                                   "燃料",
                                                   "前前軸重",
                                                   "前後軸重",
                                                   "後前軸重",
                                                   "後後軸重",
                                                   "備考",
                                                   "自賠責機関",
                                                   "証明番号",
                                                   "自賠責期間自",
                                                   "自賠責期間",
                                                   "自賠責期間至"};
    return names;
}

const std::vector<std::string>& vehicleOrderFields() {
    static const std::vector<std::string> fields(vehicleFieldNames().begin(),
                                                 vehicleFieldNames().begin() + 14);
    return fields;
}

const TableDef& vehicleTable() {
    static const TableDef def = [] {
        TableDef t{"INDATA.db", {}, {}};
        for (const std::string& name : vehicleFieldNames())
            t.fields.push_back({name, FieldType::Text});
        t.indexes = {{"primary", vehicleOrderFields()},
                     {"登録番号順", {"自動車登録番号"}},
                     {"車台番号順", {"車台番号"}},
                     {"電話番号順", {"電話番号"}}};
        return t;
    }();
    return def;
}

const TableDef& digitCountTable() {
    static const TableDef def = [] {
        TableDef t{"INDTLEN.db", {{"データ用途", FieldType::Text}}, {}};
        for (const std::string& name : vehicleFieldNames())
            t.fields.push_back({name, FieldType::Integer});
        t.fields.push_back({"郵便番号", FieldType::Integer});
        return t;
    }();
    return def;
}

const TableDef& layoutTable() {
    static const TableDef def = [] {
        TableDef t{"PrtData.DB",
                   {{"印刷名", FieldType::Text},
                    {"印刷フォーム", FieldType::Text},
                    {"印刷サイズＸ", FieldType::Integer},
                    {"印刷サイズＹ", FieldType::Integer}},
                   {}};
        addNumbered(t.fields, "項目", kSlotCount, FieldType::Text);
        addNumbered(t.fields, "Ｘ座標", kSlotCount, FieldType::Integer);
        addNumbered(t.fields, "Ｙ座標", kSlotCount, FieldType::Integer);
        addNumbered(t.fields, "サイズ", kSlotCount, FieldType::Integer);
        t.fields.push_back({"連続印刷", FieldType::Flag});
        t.fields.push_back({"印刷フォームの印刷", FieldType::Flag});
        t.fields.push_back({"日付の表示", FieldType::Flag});
        t.fields.push_back({"日付の幅", FieldType::Integer});
        t.fields.push_back({"用途○印", FieldType::Integer});
        t.fields.push_back({"自家用事業用の別○印", FieldType::Integer});
        return t;
    }();
    return def;
}

const TableDef& freeDataTable() {
    static const TableDef def = [] {
        TableDef t{"PrtFreeData.DB", {}, {}};
        addNumbered(t.fields, "項目", kSlotCount, FieldType::Text);
        return t;
    }();
    return def;
}

const TableDef& expenseTable() {
    static const TableDef def = [] {
        TableDef t{"Expense.DB", {}, {}};
        for (const char* cost : {"自賠責", "検査印紙", "諸費用"})
            for (const char* use : {"乗用", "貨物", "特種", "乗合", "特殊"})
                addNumbered(t.fields, std::string(cost) + use, 8, FieldType::Integer);
        t.fields.push_back({"仮ナンバー", FieldType::Integer});
        return t;
    }();
    return def;
}

const TableDef& weightTaxTable() {
    static const TableDef def = [] {
        TableDef t{"WeightTax.DB", {}, {}};
        for (const char* use : {"乗用", "貨物", "特種", "乗合", "特殊"})
            addNumbered(t.fields, std::string("重量税") + use + "数値", 13, FieldType::Integer);
        for (const char* use : {"乗用", "貨物", "乗合", "特殊"})
            addNumbered(t.fields, std::string("重量税") + use, 26, FieldType::Integer);
        addNumbered(t.fields, "重量税特種", 52, FieldType::Integer);
        for (const char* single : {"重量税軽", "重量税軽貨物", "重量税二輪", "重量税二輪事業用"})
            t.fields.push_back({single, FieldType::Integer});
        return t;
    }();
    return def;
}

const std::vector<const TableDef*>& allTables() {
    static const std::vector<const TableDef*> tables = {&vehicleTable(), &digitCountTable(),
                                                        &layoutTable(),  &freeDataTable(),
                                                        &expenseTable(), &weightTaxTable()};
    return tables;
}

} // namespace mivora

// Sample data of a new data folder: fictional vehicles of every kind and use,
// digit-count rows, two layouts with their free contents, and fee tables with
// current figures.

#include "store/datafolder.h"

#include "store/table.h"
#include "text/sjis.h"

#include <array>
#include <utility>

namespace mivora {

namespace {

struct Vehicle {
    const char* reading;
    const char* phone;
    const char* user;
    const char* address;
    const char* plate;
    const char* registered;
    const char* firstYearMonth;
    const char* model;
    const char* chassis;
    const char* expiry;
    const char* kind;
    const char* use;
    const char* privateOrCommercial;
    const char* shape;
    const char* make;
    const char* seats;
    const char* load;
    const char* weight;
    const char* grossWeight;
    const char* fuel;
};

// Reading in half-width katakana as many offices key it; dates as certificates print them.
// clang-format off
const Vehicle kVehicles[] = {
    {"ﾔﾏﾀﾞ ﾀﾛｳ", "03-3211-0001", "山田　太郎", "東京都千代田区丸の内１丁目１番１号", "品川５００あ１２３４",
     "令和０５年０４月１０日", "平成３０年０３月", "DBA-NZE161", "NZE161-3012345", "令和０８年０４月０９日", "普通",
     "乗用", "自家用", "箱型", "トヨタ", "５人", "", "1090", "1365", "ガソリン"},
    {"ﾔﾏﾀﾞ ﾀﾛｳ", "03-3211-0000", "山田　太郎", "東京都千代田区丸の内１丁目１番１号", "品川３３０せ　５６",
     "令和０６年０１月１５日", "令和０６年０１月", "6AA-MXAA54", "MXAA54-4012345", "令和０９年０１月１４日", "普通",
     "乗用", "自家用", "ステーションワゴン", "トヨタ", "５人", "", "1620", "1895", "ガソリン"},
    {"ｽｽﾞｷ ﾊﾅｺ", "011-231-4111", "鈴木　花子", "北海道札幌市中央区大通西１０丁目", "札幌５８０う　３１４",
     "令和０４年０７月０１日", "令和０４年０６月", "5BA-MK53S", "MK53S-912345", "令和０９年０６月３０日", "軽自動車",
     "乗用", "自家用", "箱型", "スズキ", "４人", "", "880", "1100", "ガソリン"},
    {"ｻﾄｳ ｹﾝｼﾞ", "052-961-1111", "佐藤　健二", "愛知県名古屋市中区三の丸３丁目１番２号", "名古屋１００す　７",
     "平成３１年０３月２０日", "平成２６年０３月", "TKG-XZU605", "XZU605-0012345", "令和０８年０３月１９日", "普通",
     "貨物", "自家用", "バン", "トヨタ", "３人", "2000", "2450", "4615", "軽油"},
    {"ｶﾌﾞｼｷｶﾞｲｼｬ ﾏﾙﾋｶﾞｼｳﾝﾕ", "06-6941-0351", "株式会社丸東運輸", "大阪府大阪市中央区大手前２丁目１番２２号", "なにわ１００か　８８",
     "令和０３年１１月０５日", "令和０３年１１月", "2PG-FW1AHG", "FW1AHG-20123", "令和０８年１１月０４日", "大型",
     "貨物", "事業用", "キャブオーバ", "日野", "２人", "13600", "10270", "24980", "軽油"},
    {"ﾀﾅｶ ｲﾁﾛｳ", "092-711-4111", "田中　一郎", "福岡県福岡市中央区天神１丁目８番１号", "福岡５３３ぬ　１",
     "令和０２年０９月１８日", "令和０２年０９月", "5BA-A200A", "A200A-0123456", "令和０７年０９月１７日", "小型",
     "乗用", "自家用", "ステーションワゴン", "ダイハツ", "５人", "", "980", "1255", "ガソリン"},
    {"ﾀｶﾊｼ ﾐｷ", "022-261-1111", "高橋　美紀", "宮城県仙台市青葉区国分町３丁目７番１号", "宮城４８０め　２２",
     "令和０５年１２月０１日", "令和０５年１２月", "3BD-DA17V", "DA17V-654321", "令和０８年１１月３０日", "軽自動車",
     "貨物", "自家用", "バン", "スズキ", "４人", "350", "950", "1520", "ガソリン"},
    {"ｴﾝﾄﾞｳ ｼﾝｲﾁ", "045-671-2121", "遠藤　真一", "神奈川県横浜市中区港町１丁目１番地", "横浜４１あ　９１２",
     "平成２９年０５月２２日", "平成２９年０５月", "2BL-JC61", "JC61-1012345", "令和０８年０５月２１日", "二輪",
     "乗用", "自家用", "箱型", "ホンダ", "２人", "", "170", "280", "ガソリン"},
    {"ｶﾌﾞｼｷｶﾞｲｼｬ ｱｵﾊﾞｺｳﾂｳ", "045-201-0001", "株式会社青葉交通", "神奈川県横浜市西区高島２丁目", "横浜２００か　１５",
     "令和０４年０２月１４日", "平成３１年０２月", "2DG-RU1ESDA", "RU1ESD-12345", "令和０８年０２月１３日", "大型",
     "乗合", "事業用", "箱型", "日野", "５３人", "", "12290", "15205", "軽油"},
    {"ｲﾄｳ ﾏｻﾙ", "048-824-2111", "伊藤　勝", "埼玉県さいたま市浦和区高砂３丁目１５番１号", "大宮８００さ　３",
     "令和０１年０６月０３日", "令和０１年０６月", "2KG-FEB90", "FEB90-580123", "令和０８年０６月０２日", "普通",
     "特種", "自家用", "冷蔵冷凍車", "三菱ふそう", "３人", "1", "3260", "5425", "軽油"},
    {"ﾜﾀﾅﾍﾞ ﾕｳｺ", "043-223-2110", "渡辺　優子", "千葉県千葉市中央区市場町１番１号", "千葉５０１ね　７７",
     "令和０６年０８月０８日", "令和０６年０８月", "6AA-ZVW60", "ZVW60-4123456", "令和０９年０８月０７日", "普通",
     "乗用", "自家用", "箱型", "トヨタ", "５人", "", "1400", "1675", "ガソリン・電気"},
    {"ｺﾊﾞﾔｼ ﾂﾖｼ", "075-222-3111", "小林　剛", "京都府京都市中京区寺町通御池上る上本能寺前町４８８番地", "京都４００ふ　２３４",
     "令和０３年０３月３１日", "平成２７年０３月", "LDF-KDY231", "KDY231-8012345", "令和０８年０３月３０日", "小型",
     "貨物", "事業用", "バン", "トヨタ", "３人", "1250", "1890", "3305", "軽油"},
    {"ｶﾄｳ ｱｷﾗ", "078-331-8181", "加藤　明", "兵庫県神戸市中央区加納町６丁目５番１号", "神戸３００ち　５０",
     "令和０７年０１月２０日", "令和０７年０１月", "3BA-GR86", "ZN8-012345", "令和１０年０１月１９日", "普通",
     "乗用", "自家用", "クーペ", "トヨタ", "４人", "", "1270", "1490", "ガソリン"},
    {"ﾖｼﾀﾞ ｹｲｺ", "082-245-2111", "吉田　恵子", "広島県広島市中区国泰寺町１丁目６番３４号", "広島５８０な　８",
     "平成３０年１０月１０日", "平成３０年１０月", "DBA-LA150S", "LA150S-0234567", "令和０８年１０月０９日", "軽自動車",
     "乗用", "自家用", "箱型", "ダイハツ", "４人", "", "820", "1040", "ガソリン"},
    {"ﾏﾂﾓﾄ ﾋﾛｼ", "025-228-1000", "松本　博", "新潟県新潟市中央区学校町通１番町６０２番地１", "新潟１１い　４５６",
     "令和０２年０４月０１日", "令和０２年０４月", "8BL-MC41", "MC41-1100123", "令和０７年０３月３１日", "二輪",
     "乗用", "事業用", "箱型", "ホンダ", "１人", "", "140", "195", "ガソリン"},
    {"ﾔﾏｸﾞﾁ ｿｳﾀ", "099-224-1111", "山口　颯太", "鹿児島県鹿児島市山下町１１番１号", "鹿児島４８０け　６０",
     "令和０５年０５月０５日", "令和０５年０５月", "3BD-S700V", "S700V-0012345", "令和０７年０５月０４日", "軽自動車",
     "貨物", "事業用", "バン", "ダイハツ", "２人", "350", "930", "1315", "ガソリン"},
    {"ﾆｼﾑﾗ ﾏｺﾄ", "087-839-2111", "西村　誠", "香川県高松市番町４丁目１番１０号", "香川１００そ　９",
     "令和０４年０９月０９日", "令和０４年０９月", "2RG-FRR90", "FRR90-7012345", "令和０８年０９月０８日", "普通",
     "貨物", "事業用", "平ボディ", "いすゞ", "３人", "2001", "3650", "7760", "軽油"},
    {"ｲｼｶﾜ ﾐﾎ", "098-866-2333", "石川　美穂", "沖縄県那覇市泉崎１丁目２番２号", "沖縄５００よ　７",
     "令和０６年０３月０１日", "令和０６年０３月", "5BA-NSP170G", "NSP170-7123456", "令和０９年０２月２８日", "小型",
     "乗用", "自家用", "ステーションワゴン", "トヨタ", "７人", "", "1240", "1625", "ガソリン"},
    {"ﾓﾘ ﾉﾌﾞｵ", "0263-34-3000", "森　信夫", "長野県松本市丸の内３番７号", "松本８００あ　１１",
     "平成２８年０２月２９日", "平成２８年０２月", "DBA-GP7", "GP7-012345", "令和０８年０２月２８日", "普通",
     "乗用", "自家用", "ステーションワゴン", "スバル", "５人", "", "1420", "1695", "ガソリン"},
    {"ｶﾌﾞｼｷｶﾞｲｼｬ ｼﾝｺｳｹﾝｾﾂ", "0776-21-1111", "株式会社新光建設", "福井県福井市大手３丁目１０番１号", "福井８００せ　３３",
     "令和０５年０６月３０日", "令和０５年０６月", "2KG-FKG71", "FKG71-600123", "令和０８年０６月２９日", "普通",
     "特種", "事業用", "散水車", "三菱ふそう", "３人", "1800", "4520", "6485", "軽油"},
};
// clang-format on

void setAll(Table& table, const std::vector<std::pair<std::string, std::string>>& values) {
    for (const auto& [field, value] : values)
        table.setText(sj(field), sj(value));
}

void addVehicles(Table& table) {
    int n = 0;
    for (const Vehicle& v : kVehicles) {
        ++n;
        table.append();
        std::string insurer = n % 2 ? "東京海上日動火災保険" : "損害保険ジャパン";
        std::string certificate = "ＡＢ" + std::to_string(40123400 + n * 7);
        setAll(table, {{"使用者ふりがな", v.reading},
                       {"電話番号", v.phone},
                       {"使用者", v.user},
                       {"使用者住所", v.address},
                       {"自動車登録番号", v.plate},
                       {"登録年月日", v.registered},
                       {"初度登録年月", v.firstYearMonth},
                       {"型式", v.model},
                       {"車台番号", v.chassis},
                       {"原動機の型式", n % 3 ? "2ZR" : "4P10"},
                       {"自動車型式指定番号", "172" + std::to_string(30 + n)},
                       {"類別区分番号", "000" + std::to_string(n % 10)},
                       {"有効期間の満了する日", v.expiry},
                       {"自賠責保険機関", insurer},
                       {"自賠責証明番号", certificate},
                       {"所有者", n % 4 ? v.user : "トヨタファイナンス株式会社"},
                       {"所有者住所", n % 4 ? v.address : "愛知県名古屋市西区牛島町６番１号"},
                       {"使用の本拠の位置", n % 5 ? "" : v.address},
                       {"自動車の種別", v.kind},
                       {"用途", v.use},
                       {"自家用事業用の別", v.privateOrCommercial},
                       {"車体の形状", v.shape},
                       {"車名", v.make},
                       {"乗車定員", v.seats},
                       {"最大積載量", v.load},
                       {"車両重量", v.weight},
                       {"車両総重量", v.grossWeight},
                       {"長さ", "469"},
                       {"幅", "169"},
                       {"高さ", "149"},
                       {"総排気量又は定格出力", n % 3 ? "1.49" : "2.75"},
                       {"燃料の種類", v.fuel},
                       {"前前軸重", "750"},
                       {"後後軸重", "615"},
                       {"備考", n % 6 ? "" : "型式指定車"},
                       {"自賠責機関", insurer},
                       {"証明番号", certificate},
                       {"自賠責期間自", v.registered},
                       {"自賠責期間至", v.expiry}});
        table.post();
    }
}

void addDigitCounts(Table& table) {
    // Widths that hold the longest values of real certificates.
    static const int kWidths[] = {30, 14, 40, 60, 20, 22, 18, 20, 24, 12, 10, 8,  22, 30, 20, 40,
                                  60, 60, 10, 8,  8,  20, 20, 8,  8,  10, 10, 10, 10, 10, 8,  8,
                                  8,  10, 10, 14, 14, 8,  8,  8,  8,  40, 30, 20, 22, 22, 22};
    table.append();
    table.setText(sj("データ用途"), sj("標準バックアップ"));
    for (std::size_t i = 0; i < vehicleFieldNames().size(); ++i)
        table.setInteger(sj(vehicleFieldNames()[i]), kWidths[i]);
    table.setInteger(sj("郵便番号"), 8);
    table.post();

    // The address book exports reading, telephone, name and address with the postal code.
    table.append();
    table.setText(sj("データ用途"), sj("住所録"));
    for (std::size_t i = 0; i < vehicleFieldNames().size(); ++i)
        table.setInteger(sj(vehicleFieldNames()[i]), i < 4 ? kWidths[i] : 0);
    table.setInteger(sj("郵便番号"), 1);
    table.post();
}

struct Slot {
    const char* item;
    int x;
    int y;
    int size;
};

void addLayout(Table& layouts, const char* name, const char* form, const std::vector<Slot>& slots) {
    layouts.append();
    layouts.setText(sj("印刷名"), sj(name));
    layouts.setText(sj("印刷フォーム"), sj(form));
    layouts.setInteger(sj("印刷サイズＸ"), 210);
    layouts.setInteger(sj("印刷サイズＹ"), 297);
    for (int i = 1; i <= kSlotCount; ++i) {
        const Slot* slot = i <= static_cast<int>(slots.size()) ? &slots[i - 1] : nullptr;
        std::string n = std::to_string(i);
        layouts.setText(sj("項目") + n, slot ? sj(slot->item) : "");
        layouts.setInteger(sj("Ｘ座標") + n, slot ? slot->x : 0);
        layouts.setInteger(sj("Ｙ座標") + n, slot ? slot->y : 0);
        layouts.setInteger(sj("サイズ") + n, slot ? slot->size : 10);
    }
    layouts.setFlag(sj("連続印刷"), false);
    layouts.setFlag(sj("印刷フォームの印刷"), true);
    layouts.setFlag(sj("日付の表示"), true);
    layouts.setInteger(sj("日付の幅"), 0);
    layouts.setInteger(sj("用途○印"), 4);
    layouts.setInteger(sj("自家用事業用の別○印"), 4);
    layouts.post();
}

void addLayouts(Table& layouts) {
    // Positions in layout dots (379 to 100 mm) on the boxes of the sample form.
    addLayout(layouts, "自動車検査証", "車検証様式",
              {{"自動車登録番号", 60, 110, 12},
               {"登録年月日", 300, 110, 10},
               {"初度登録年月", 520, 110, 10},
               {"自動車の種別", 60, 170, 10},
               {"用途", 200, 170, 10},
               {"自家用事業用の別", 320, 170, 10},
               {"車体の形状", 450, 170, 10},
               {"車名", 60, 230, 10},
               {"乗車定員", 250, 230, 10},
               {"最大積載量", 380, 230, 10},
               {"車両重量", 520, 230, 10},
               {"車両総重量", 650, 230, 10},
               {"車台番号", 60, 290, 10},
               {"型式", 380, 290, 10},
               {"原動機の型式", 600, 290, 10},
               {"長さ", 60, 350, 10},
               {"幅", 200, 350, 10},
               {"高さ", 340, 350, 10},
               {"総排気量又は定格出力", 480, 350, 10},
               {"燃料の種類", 640, 350, 10},
               {"使用者", 60, 420, 12},
               {"使用者住所", 60, 470, 10},
               {"所有者", 60, 540, 12},
               {"所有者住所", 60, 590, 10},
               {"有効期間の満了する日", 60, 660, 12},
               {"備考", 60, 730, 10},
               {"?受付番号", 600, 40, 10},
               {"今日", 560, 1080, 10}});
    // The fee statement: its amount slots, captions and company lines come from the
    // presets of free-data record 2 when the sibling program prepares it.
    addLayout(layouts, "継続検査諸費用明細", "白地",
              {{"継続検査諸費用明細書", 250, 40, 18},
               {"郵便番号", 60, 110, 10},
               {"使用者住所", 200, 110, 10},
               {"使用者", 60, 150, 14},
               {"自動車登録番号", 60, 200, 12},
               {"有効期間の満了する日", 400, 200, 10},
               {"自動車の種別", 60, 240, 10},
               {"用途", 200, 240, 10},
               {"自家用事業用の別", 320, 240, 10},
               {"自賠責保険料", 80, 320, 12},
               {"自　賠　責金額", 400, 320, 12},
               {"自動車重量税", 80, 370, 12},
               {"重　量　税金額", 400, 370, 12},
               {"検査手数料（印紙代）", 80, 420, 12},
               {"検査印紙　金額", 400, 420, 12},
               {"仮ナンバー代", 80, 470, 12},
               {"仮ナンバー金額", 400, 470, 12},
               {"法定費用計", 80, 520, 12},
               {"諸費用無合計", 400, 520, 12},
               {"点検整備・代行手数料", 80, 590, 12},
               {"諸　費　用金額", 400, 590, 12},
               {"合計", 80, 660, 14},
               {"合　　　計金額", 400, 660, 14},
               {"自社名", 450, 980, 12},
               {"自住所", 450, 1020, 10},
               {"自電話番号", 450, 1050, 10},
               {"今日", 560, 80, 10}});
}

void addFreeData(Table& free) {
    free.append(); // record 1: the texts typed for hand-written items
    free.setText(sj("項目27"), sj("１２３"));
    free.post();
    free.append(); // record 2: the presets of the fee layout
    // The captions of the premium and the temporary plate vanish with their amounts.
    const std::pair<int, const char*> presets[] = {
        {2, "郵便番号"},        {10, "自賠責保険料"},   {11, "自　賠　責金額"},
        {13, "重　量　税金額"}, {15, "検査印紙　金額"}, {16, "仮ナンバー代"},
        {17, "仮ナンバー金額"}, {19, "諸費用無合計"},   {21, "諸　費　用金額"},
        {23, "合　　　計金額"}, {24, "自社名"},         {25, "自住所"},
        {26, "自電話番号"},     {27, "日付選択"}};
    for (const auto& [slot, text] : presets)
        free.setText(sj("項目") + std::to_string(slot), sj(text));
    free.post();
}

void fillNumbered(Table& table, const std::string& prefix, const std::vector<int>& values) {
    for (std::size_t i = 0; i < values.size(); ++i)
        table.setInteger(sj(prefix) + std::to_string(i + 1), values[i]);
}

void addExpenses(Table& table) {
    // Columns: light, small, normal/large, two-wheeled or large freight; then commercial.
    table.append();
    fillNumbered(table, "自賠責乗用", {17540, 17650, 17650, 8760, 17540, 17650, 17650, 8760});
    fillNumbered(table, "自賠責貨物", {17540, 22100, 22100, 34310, 17540, 22100, 22100, 34310});
    fillNumbered(table, "自賠責特種", {17540, 19290, 19290, 19290, 17540, 19290, 19290, 19290});
    // Buses are priced in columns 1 and 5; special-purpose vehicles with a load in the
    // small and normal columns of this row.
    fillNumbered(table, "自賠責乗合", {38700, 22100, 22100, 38700, 38700, 22100, 22100, 38700});
    fillNumbered(table, "自賠責特殊", {17540, 14480, 14480, 14480, 17540, 14480, 14480, 14480});
    for (const char* use : {"乗用", "貨物", "特種", "乗合", "特殊"}) {
        fillNumbered(table, std::string("検査印紙") + use,
                     {1800, 2200, 2300, 1800, 1800, 2200, 2300, 1800});
        fillNumbered(table, std::string("諸費用") + use,
                     {15000, 18000, 20000, 10000, 15000, 18000, 20000, 10000});
    }
    table.setInteger(sj("仮ナンバー"), 750);
    table.post();
}

// Weight tax for two years: passenger and special vehicles by the half tonne,
// freight and buses by 2.5 tonnes. The thirteenth amounts are 0: a weight beyond
// the table pays the last bracket.
struct TaxScale {
    std::vector<const char*> uses;
    int boundStep;
    std::vector<int> amountSteps; // per bracket: private, commercial (then with a load)
};

std::vector<int> stepped(int step, int count) {
    std::vector<int> values;
    for (int i = 1; i <= count; ++i)
        values.push_back(step * i);
    return values;
}

void addWeightTax(Table& table) {
    table.append();
    const TaxScale scales[] = {{{"乗用", "特殊"}, 500, {8200, 5200}},
                               {{"特種"}, 500, {8200, 5200, 4100, 2600}},
                               {{"貨物", "乗合"}, 2500, {20500, 13000}}};
    for (const TaxScale& scale : scales) {
        for (const char* use : scale.uses) {
            std::vector<int> bounds = stepped(scale.boundStep, 12);
            bounds.push_back(0);
            fillNumbered(table, std::string("重量税") + use + "数値", bounds);
            std::vector<int> amounts;
            for (int step : scale.amountSteps) {
                const std::vector<int> set = stepped(step, 12);
                amounts.insert(amounts.end(), set.begin(), set.end());
                amounts.push_back(0);
            }
            fillNumbered(table, std::string("重量税") + use, amounts);
        }
    }
    table.setInteger(sj("重量税軽"), 6600);
    table.setInteger(sj("重量税軽貨物"), 5200);
    table.setInteger(sj("重量税二輪"), 3800);
    table.setInteger(sj("重量税二輪事業用"), 2600);
    table.post();
}

template <typename Fill>
void fill(const std::filesystem::path& folder, const TableDef& def, Fill add) {
    Table table(tablePath(folder, def));
    table.open();
    table.transaction([&] { add(table); });
}

} // namespace

void fillSampleData(const std::filesystem::path& dataFolder) {
    fill(dataFolder, vehicleTable(), addVehicles);
    fill(dataFolder, digitCountTable(), addDigitCounts);
    fill(dataFolder, layoutTable(), addLayouts);
    fill(dataFolder, freeDataTable(), addFreeData);
    fill(dataFolder, expenseTable(), addExpenses);
    fill(dataFolder, weightTaxTable(), addWeightTax);
}

} // namespace mivora

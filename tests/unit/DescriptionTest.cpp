// String 6000, the plan's description: each of the 34 languages gives its own text, byte for byte,
// and any other language gets English (United States). The texts here are kept apart from the
// module's own source on purpose; the characters that are easily mistaken for others are escaped.
#include <gtest/gtest.h>
#include "framework/CString.h"
#include "sim/machine.h"

namespace {

struct Description {
    LANGID language;
    const char* name;
    const char16_t* text;
};

const Description kDescriptions[] = {
    {0x0401, "Arabic (Saudi Arabia)", u"يوفر أفضل توازن أداء مع توفير الطاقة التي تستهلكها أجهزة الكمبيوتر المحمول من Nuvra."},
    {0x0402, "Bulgarian", u"Осигурява оптимизиран баланс между производителност и разход на енергия при Преносимите компютри на Nuvra."},
    {0x0404, "Chinese (Taiwan)", u"提供最佳化 Nuvra 筆記型電腦能源消耗的效能平衡\u3002"},
    {0x0405, "Czech", u"Poskytuje optimální vyvážení výkonu a spotřeby energie pro notebooky Nuvra."},
    {0x0406, "Danish", u"Giver optimeret balance i ydelsen med hensyn til energiforbrug på Nuvra's bærbare computere."},
    {0x0407, "German (Germany)", u"Bietet ein optimiertes Gleichgewicht zwischen Leistung und Energieverbrauch bei Nuvra Notebooks."},
    {0x0408, "Greek", u"Παρέχει βελτιστοποιημένη ισορροπία απόδοσης και κατανάλωσης ενέργειας στους φορητούς υπολογιστές Nuvra."},
    {0x0409, "English (United States)", u"Provides optimized balance of performance with energy consumption on Nuvra Notebook PC."},
    {0x040B, "Finnish", u"Tarjoaa suorituskyvyn ja energiankulutuksen optimoidun tasapainon Nuvra:n kannettavissa tietokoneissa."},
    {0x040C, "French (France)", u"Permet d\u2019obtenir un équilibre optimal entre les performances des ordinateurs portables\u00a0Nuvra et leur consommation d\u2019énergie."},
    {0x040D, "Hebrew", u"מספק איזון ביצועים ממוטב עם צריכת אנרגיה במחשבים ניידים Nuvra Notebook PC."},
    {0x040E, "Hungarian", u"Optimális egyensúlyt biztosít a teljesítmény és az energiafelhasználás között a Nuvra noteszgépeken."},
    {0x0410, "Italian (Italy)", u"Offre un ottimo compromesso tra prestazioni e consumo energetico nei notebook Nuvra"},
    {0x0411, "Japanese", u"Nuvraノートブック コンピューターでの、エネルギー消費とパフォーマンスのバランスを最適化します\u3002"},
    {0x0412, "Korean", u"Nuvra 노트북 PC에 전원 절약을 위해 최적화된 성능 조합을 제공합니다."},
    {0x0413, "Dutch (Netherlands)", u"Zorgt voor een optimale balans tussen prestaties en energieverbruik van de Nuvra-notebookcomputers."},
    {0x0414, "Norwegian (Bokmål)", u"Gir en optimal balanse mellom ytelse og energiforbruk på Nuvras bærbare datamaskiner."},
    {0x0415, "Polish", u"Zapewnia optymalną równowagę pomiędzy wydajnością i zużyciem energii w komputerach przenośnych Nuvra."},
    {0x0416, "Portuguese (Brazil)", u"Oferece equilíbrio otimizado entre desempenho e consumo de energia em notebooks Nuvra."},
    {0x0418, "Romanian", u"Asigură pentru PC-urile portabile Nuvra un echilibru optimizat între performanţe şi consumul de energie."},
    {0x0419, "Russian", u"Обеспечивается оптимизированный баланс производительности и энергопотребления на ноутбуках Nuvra."},
    {0x041A, "Croatian", u"Pruža optimalnu usklađenost performansi s potrošnjom energije na Nuvra prijenosnim osobnim računalima."},
    {0x041B, "Slovak", u"Poskytuje optimálne vyvážený výkon a spotrebu energie v prenosnom počítači Nuvra."},
    {0x041D, "Swedish", u"Ger optimerad balans mellan prestanda och energiförbrukning på Nuvra Notebook-datorer."},
    {0x041E, "Thai", u"จัดหาประสิทธิภาพในระดับที่สมดุลกับการใช้พลังงานบนคอมพิวเตอร์โน้ตบุ๊กของ Nuvra"},
    {0x041F, "Turkish", u"Nuvra Dizüstü Bilgisayarlarda enerji tüketimi düşük, optimize performans dengesi sağlar."},
    {0x0424, "Slovenian", u"Zagotavlja najboljše ravnovesje med učinkovitostjo in porabo energije v prenosnih računalnikih Nuvra."},
    {0x0425, "Estonian", u"Pakub optimaalset tasakaalu jõudluse ja energiatarbe vahel Nuvra sülearvutitel."},
    {0x0427, "Lithuanian", u"Subalansuoja Nuvra asmeninių nešiojamųjų kompiuterių našumo ir energijos vartojimo rodiklius."},
    {0x0804, "Chinese (PRC)", u"为 Nuvra 笔记本计算机提供性能与能耗的平衡\u3002"},
    {0x0816, "Portuguese (Portugal)", u"Oferece um balanço do desempenho optimizado com o consumo de energia em PCs notebook Nuvra."},
    {0x0C04, "Chinese (Hong Kong SAR)", u"提供最佳化 Nuvra 筆記型電腦能源消耗的效能平衡\u3002"},
    {0x0C0A, "Spanish (Spain, international sort)", u"Brinda un equilibrio optimizado entre el rendimiento y el consumo de energía en los PC portátiles Nuvra."},
    {0x1404, "Chinese (Macao SAR)", u"提供最佳化 Nuvra 筆記型電腦能源消耗的效能平衡\u3002"},
};

TEST(Description, EachLanguageHasItsOwnText) {
    ASSERT_EQ(34u, sizeof kDescriptions / sizeof kDescriptions[0]);
    for (const Description& d : kDescriptions) {
        SCOPED_TRACE(d.name);
        sim::Reset();
        sim::machine().locale.uiLanguage = d.language;
        CString text;
        EXPECT_TRUE(text.LoadString(6000));
        EXPECT_EQ(std::u16string(d.text), std::u16string(text.GetString(), text.GetLength()));
    }
}

TEST(Description, OtherLanguagesAndOtherStrings) {
    const std::u16string english = u"Provides optimized balance of performance with energy consumption on Nuvra Notebook PC.";
    // German (Switzerland), English (United Kingdom), Ukrainian, Spanish (traditional sort), neutral.
    for (LANGID language : {0x0807, 0x0809, 0x0422, 0x040A, 0x0000}) {
        SCOPED_TRACE(language);
        sim::Reset();
        sim::machine().locale.uiLanguage = language;
        CString text;
        EXPECT_TRUE(text.LoadString(6000));
        EXPECT_EQ(english, std::u16string(text.GetString(), text.GetLength()));
    }
    // The block of 6000 holds no other string, and no other block exists.
    for (UINT id : {6001u, 6015u, 5999u, 6016u, 1u}) {
        CString text;
        EXPECT_FALSE(text.LoadString(id)) << id;
        EXPECT_TRUE(text.IsEmpty());
    }
}

}  // namespace

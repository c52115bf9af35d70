// String 6000 of the module, the description of the optimised power plan, in the 34 languages
// that the module carries: one X(primary language, sublanguage, language name, text) per language,
// the text in UTF-8. Both builds take the texts from here: the resource compiler for the Windows
// string table (res/Descriptions.rc) and the C++ compiler for the host's (res/host/Descriptions.cpp).
// The resource compiler reads this file too, so it holds nothing but preprocessor lines.
//
// The French text holds a no-break space (U+00A0) before the brand word and two right single
// quotation marks (U+2019); the Chinese and Japanese texts end in the ideographic full stop (U+3002);
// the Italian and Thai texts end without a full stop.
#pragma once

#define IDS_PLAN_DESCRIPTION 6000

#define NUV_PLAN_DESCRIPTIONS(X) \
    X(0x01, 0x01, "Arabic (Saudi Arabia)", "يوفر أفضل توازن أداء مع توفير الطاقة التي تستهلكها أجهزة الكمبيوتر المحمول من Nuvra.") \
    X(0x02, 0x01, "Bulgarian", "Осигурява оптимизиран баланс между производителност и разход на енергия при Преносимите компютри на Nuvra.") \
    X(0x04, 0x01, "Chinese (Taiwan)", "提供最佳化 Nuvra 筆記型電腦能源消耗的效能平衡。") \
    X(0x05, 0x01, "Czech", "Poskytuje optimální vyvážení výkonu a spotřeby energie pro notebooky Nuvra.") \
    X(0x06, 0x01, "Danish", "Giver optimeret balance i ydelsen med hensyn til energiforbrug på Nuvra's bærbare computere.") \
    X(0x07, 0x01, "German (Germany)", "Bietet ein optimiertes Gleichgewicht zwischen Leistung und Energieverbrauch bei Nuvra Notebooks.") \
    X(0x08, 0x01, "Greek", "Παρέχει βελτιστοποιημένη ισορροπία απόδοσης και κατανάλωσης ενέργειας στους φορητούς υπολογιστές Nuvra.") \
    X(0x09, 0x01, "English (United States)", "Provides optimized balance of performance with energy consumption on Nuvra Notebook PC.") \
    X(0x0B, 0x01, "Finnish", "Tarjoaa suorituskyvyn ja energiankulutuksen optimoidun tasapainon Nuvra:n kannettavissa tietokoneissa.") \
    X(0x0C, 0x01, "French (France)", "Permet d’obtenir un équilibre optimal entre les performances des ordinateurs portables Nuvra et leur consommation d’énergie.") \
    X(0x0D, 0x01, "Hebrew", "מספק איזון ביצועים ממוטב עם צריכת אנרגיה במחשבים ניידים Nuvra Notebook PC.") \
    X(0x0E, 0x01, "Hungarian", "Optimális egyensúlyt biztosít a teljesítmény és az energiafelhasználás között a Nuvra noteszgépeken.") \
    X(0x10, 0x01, "Italian (Italy)", "Offre un ottimo compromesso tra prestazioni e consumo energetico nei notebook Nuvra") \
    X(0x11, 0x01, "Japanese", "Nuvraノートブック コンピューターでの、エネルギー消費とパフォーマンスのバランスを最適化します。") \
    X(0x12, 0x01, "Korean", "Nuvra 노트북 PC에 전원 절약을 위해 최적화된 성능 조합을 제공합니다.") \
    X(0x13, 0x01, "Dutch (Netherlands)", "Zorgt voor een optimale balans tussen prestaties en energieverbruik van de Nuvra-notebookcomputers.") \
    X(0x14, 0x01, "Norwegian (Bokmål)", "Gir en optimal balanse mellom ytelse og energiforbruk på Nuvras bærbare datamaskiner.") \
    X(0x15, 0x01, "Polish", "Zapewnia optymalną równowagę pomiędzy wydajnością i zużyciem energii w komputerach przenośnych Nuvra.") \
    X(0x16, 0x01, "Portuguese (Brazil)", "Oferece equilíbrio otimizado entre desempenho e consumo de energia em notebooks Nuvra.") \
    X(0x18, 0x01, "Romanian", "Asigură pentru PC-urile portabile Nuvra un echilibru optimizat între performanţe şi consumul de energie.") \
    X(0x19, 0x01, "Russian", "Обеспечивается оптимизированный баланс производительности и энергопотребления на ноутбуках Nuvra.") \
    X(0x1A, 0x01, "Croatian", "Pruža optimalnu usklađenost performansi s potrošnjom energije na Nuvra prijenosnim osobnim računalima.") \
    X(0x1B, 0x01, "Slovak", "Poskytuje optimálne vyvážený výkon a spotrebu energie v prenosnom počítači Nuvra.") \
    X(0x1D, 0x01, "Swedish", "Ger optimerad balans mellan prestanda och energiförbrukning på Nuvra Notebook-datorer.") \
    X(0x1E, 0x01, "Thai", "จัดหาประสิทธิภาพในระดับที่สมดุลกับการใช้พลังงานบนคอมพิวเตอร์โน้ตบุ๊กของ Nuvra") \
    X(0x1F, 0x01, "Turkish", "Nuvra Dizüstü Bilgisayarlarda enerji tüketimi düşük, optimize performans dengesi sağlar.") \
    X(0x24, 0x01, "Slovenian", "Zagotavlja najboljše ravnovesje med učinkovitostjo in porabo energije v prenosnih računalnikih Nuvra.") \
    X(0x25, 0x01, "Estonian", "Pakub optimaalset tasakaalu jõudluse ja energiatarbe vahel Nuvra sülearvutitel.") \
    X(0x27, 0x01, "Lithuanian", "Subalansuoja Nuvra asmeninių nešiojamųjų kompiuterių našumo ir energijos vartojimo rodiklius.") \
    X(0x04, 0x02, "Chinese (PRC)", "为 Nuvra 笔记本计算机提供性能与能耗的平衡。") \
    X(0x16, 0x02, "Portuguese (Portugal)", "Oferece um balanço do desempenho optimizado com o consumo de energia em PCs notebook Nuvra.") \
    X(0x04, 0x03, "Chinese (Hong Kong SAR)", "提供最佳化 Nuvra 筆記型電腦能源消耗的效能平衡。") \
    X(0x0A, 0x03, "Spanish (Spain, international sort)", "Brinda un equilibrio optimizado entre el rendimiento y el consumo de energía en los PC portátiles Nuvra.") \
    X(0x04, 0x05, "Chinese (Macao SAR)", "提供最佳化 Nuvra 筆記型電腦能源消耗的效能平衡。")

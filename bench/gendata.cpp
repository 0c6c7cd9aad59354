// qarvel-gendata: fills a new database with a deterministic, realistic-looking
// company for the benchmarks: a department tree, N employees with every column
// of t_Employee, and K history rows per employee over the seven history tables.
//
//   qarvel-gendata --employees N --history K [--seed S] FOLDER
//   qarvel-gendata --employees N --history K [--seed S] --pg "host=... dbname=..."
//
// The same arguments always give the same rows: every value comes from one
// fixed-seed generator, and "today" is a fixed date, never the clock.
#include "app/database.h"
#include "app/dbsettings.h"
#include "app/nodate.h"
#include "app/sqldialect.h"
#include "app/writetransaction.h"
#include "db/seedlists.h"

#include <QBuffer>
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDate>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QHash>
#include <QImage>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>
#include <QVariant>
#include <QVector>

#include <cmath>
#include <cstdio>

namespace {

const QDate Today(2024, 6, 28);
// A field the editor leaves blank is stored as an empty text, not as NULL.
const QString Blank = QStringLiteral("");
constexpr int EmployeesPerTransaction = 5000;
constexpr int PhotoEvery = 100;

// splitmix64: tiny, fast, and the same sequence on every machine.
class Rng
{
public:
    explicit Rng(quint64 seed) : m_state(seed) {}

    quint64 next()
    {
        quint64 z = (m_state += 0x9E3779B97F4A7C15ULL);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
        return z ^ (z >> 31);
    }
    // Uniform in [0, n).
    int below(int n) { return n <= 0 ? 0 : int(next() % quint64(n)); }
    // Uniform in [lo, hi].
    int between(int lo, int hi) { return lo + below(hi - lo + 1); }
    bool chance(double p) { return double(next() >> 11) * (1.0 / 9007199254740992.0) < p; }
    template<typename T>
    const T &pick(const QVector<T> &list) { return list.at(below(int(list.size()))); }
    QDate dateBetween(const QDate &from, const QDate &to)
    {
        if (to <= from)
            return from;
        return from.addDays(below(int(from.daysTo(to)) + 1));
    }
    QString digits(int count)
    {
        QString s;
        s.reserve(count);
        for (int i = 0; i < count; ++i)
            s += QChar(u'0' + below(10));
        return s;
    }

private:
    quint64 m_state;
};

QString u8(const char *text)
{
    return QString::fromUtf8(text);
}

QVector<QString> list(std::initializer_list<const char *> items)
{
    QVector<QString> out;
    out.reserve(int(items.size()));
    for (const char *i : items)
        out << u8(i);
    return out;
}

// A choice among values with integer weights.
class Weighted
{
public:
    Weighted(std::initializer_list<std::pair<const char *, int>> items)
    {
        for (const auto &[text, weight] : items) {
            m_total += weight;
            m_items.append({u8(text), m_total});
        }
    }
    const QString &pick(Rng &rng) const
    {
        const int r = rng.below(m_total);
        for (const auto &item : m_items) {
            if (r < item.second)
                return item.first;
        }
        return m_items.constLast().first;
    }

private:
    QVector<std::pair<QString, int>> m_items;
    int m_total = 0;
};

// ---------------------------------------------------------------------------
// Word pools
// ---------------------------------------------------------------------------

// The commonest surnames carry their approximate share (per mille); the rest share what is left.
const Weighted Surnames = {
    {"王", 71}, {"李", 70}, {"张", 67}, {"刘", 54}, {"陈", 45}, {"杨", 31}, {"黄", 22}, {"赵", 20},
    {"吴", 19}, {"周", 19}, {"徐", 13}, {"孙", 13}, {"马", 12}, {"朱", 11}, {"胡", 11}, {"郭", 10},
    {"何", 10}, {"高", 10}, {"林", 10}, {"罗", 9}, {"郑", 9}, {"梁", 9}, {"谢", 8}, {"宋", 7},
    {"唐", 7}, {"许", 7}, {"韩", 7}, {"冯", 7}, {"邓", 7}, {"曹", 6}, {"彭", 6}, {"曾", 6},
    {"肖", 6}, {"田", 6}, {"董", 5}, {"袁", 5}, {"潘", 5}, {"于", 5}, {"蒋", 5}, {"蔡", 5},
    {"余", 5}, {"杜", 5}, {"叶", 5}, {"程", 5}, {"苏", 4}, {"魏", 4}, {"吕", 4}, {"丁", 4},
    {"任", 4}, {"沈", 4}, {"姚", 4}, {"卢", 4}, {"姜", 4}, {"崔", 4}, {"钟", 4}, {"谭", 4},
    {"陆", 3}, {"汪", 3}, {"范", 3}, {"金", 3}, {"石", 3}, {"廖", 3}, {"贾", 3}, {"夏", 3},
    {"韦", 3}, {"付", 3}, {"方", 3}, {"白", 3}, {"邹", 3}, {"孟", 3}, {"熊", 3}, {"秦", 3},
    {"邱", 3}, {"江", 3}, {"尹", 3}, {"薛", 2}, {"闫", 2}, {"段", 2}, {"雷", 2}, {"侯", 2},
    {"龙", 2}, {"史", 2}, {"陶", 2}, {"黎", 2}, {"贺", 2}, {"顾", 2}, {"毛", 2}, {"郝", 2},
    {"龚", 2}, {"邵", 2}, {"万", 2}, {"钱", 2}, {"严", 2}, {"覃", 2}, {"武", 2}, {"戴", 2},
    {"莫", 2}, {"孔", 2}, {"向", 2}, {"汤", 2}, {"欧阳", 1}, {"司马", 1}, {"上官", 1}, {"诸葛", 1},
};
const QVector<QString> MaleGiven = list({
    "伟", "强", "磊", "军", "勇", "杰", "涛", "斌", "超", "明", "刚", "平", "辉", "鹏", "华", "飞",
    "鑫", "波", "宁", "健", "亮", "俊", "峰", "浩", "宇", "晨", "凯", "文", "博", "志", "建", "国",
    "海", "东", "林", "成", "龙", "兵", "毅", "坤", "德", "振", "永", "新", "庆", "春", "荣", "利",
});
const QVector<QString> FemaleGiven = list({
    "芳", "娜", "敏", "静", "丽", "艳", "娟", "霞", "秀", "玲", "燕", "红", "梅", "莉", "婷", "雪",
    "琳", "慧", "倩", "颖", "洁", "晶", "欣", "怡", "佳", "悦", "璐", "薇", "萍", "兰", "月", "英",
    "华", "婧", "瑶", "琪", "蕾", "露", "云", "凤", "桂", "丹", "妍", "晓", "思", "雨", "春", "宁",
});

// Native places with the leading six digits of an identity number issued there.
struct Place { const char *region; const char *name; };
constexpr Place Places[] = {
    {"110105", "北京市朝阳区"}, {"310104", "上海市徐汇区"}, {"320102", "江苏省南京市玄武区"},
    {"320583", "江苏省昆山市"}, {"330106", "浙江省杭州市西湖区"}, {"330302", "浙江省温州市鹿城区"},
    {"440106", "广东省广州市天河区"}, {"440304", "广东省深圳市福田区"}, {"510107", "四川省成都市武侯区"},
    {"420106", "湖北省武汉市武昌区"}, {"610113", "陕西省西安市雁塔区"}, {"370102", "山东省济南市历下区"},
    {"370202", "山东省青岛市市南区"}, {"410105", "河南省郑州市金水区"}, {"430104", "湖南省长沙市岳麓区"},
    {"350203", "福建省厦门市思明区"}, {"340104", "安徽省合肥市蜀山区"}, {"360102", "江西省南昌市东湖区"},
    {"120101", "天津市和平区"}, {"210102", "辽宁省沈阳市和平区"}, {"220104", "吉林省长春市朝阳区"},
    {"230103", "黑龙江省哈尔滨市南岗区"}, {"130102", "河北省石家庄市长安区"}, {"140105", "山西省太原市小店区"},
    {"450103", "广西壮族自治区南宁市青秀区"}, {"530102", "云南省昆明市五华区"}, {"520102", "贵州省贵阳市南明区"},
    {"500103", "重庆市渝中区"},
};

// Where each level-1 department works: its city, telephone area code and districts.
struct City { const char *name; const char *areaCode; std::initializer_list<const char *> districts; };
const City Cities[] = {
    {"北京市", "010", {"朝阳区", "海淀区", "东城区", "西城区", "丰台区", "昌平区"}},
    {"上海市", "021", {"浦东新区", "徐汇区", "静安区", "闵行区", "长宁区", "杨浦区"}},
    {"广州市", "020", {"天河区", "越秀区", "海珠区", "白云区", "番禺区", "黄埔区"}},
    {"天津市", "022", {"和平区", "河西区", "南开区", "河东区", "滨海新区", "西青区"}},
};
const QVector<QString> Streets = list({
    "人民路", "解放路", "建设路", "中山路", "和平路", "胜利路", "新华路", "长江路", "黄河路", "文化路",
    "光明路", "朝阳路", "幸福路", "青年路", "东风路", "迎宾路", "学院路", "科技路", "滨江路", "花园路",
});
const QVector<QString> MobilePrefixes = list({
    "130", "131", "132", "133", "135", "136", "137", "138", "139", "150", "151", "152",
    "155", "156", "158", "159", "177", "180", "181", "186", "187", "188", "189", "199",
});
const QVector<QString> Schools = list({
    "北京大学", "清华大学", "复旦大学", "上海交通大学", "浙江大学", "南京大学", "武汉大学", "中山大学",
    "华中科技大学", "四川大学", "山东大学", "吉林大学", "厦门大学", "同济大学", "天津大学", "南开大学",
    "华南理工大学", "西安交通大学", "湖南大学", "郑州大学", "苏州大学", "上海财经大学", "北京理工大学",
    "广东工业大学", "天津职业技术师范大学", "深圳职业技术学院", "南京工业职业技术大学", "上海电机学院",
});
const QVector<QString> Majors = list({
    "计算机科学与技术", "软件工程", "电子信息工程", "机械设计制造及其自动化", "电气工程及其自动化",
    "会计学", "财务管理", "工商管理", "市场营销", "人力资源管理", "国际经济与贸易", "物流管理",
    "汉语言文学", "英语", "法学", "土木工程", "化学工程与工艺", "自动化", "通信工程", "数学与应用数学",
    "统计学", "行政管理", "工业设计", "数控技术",
});
const QVector<QString> SchoolNumbers = list({"一", "二", "三", "四", "五", "六", "七", "八", "十二", "二十五"});
const QVector<QString> VocationalMajors = list({
    "数控技术应用", "机电技术应用", "电子技术应用", "计算机应用", "会计", "电子商务", "汽车运用与维修", "物流服务与管理",
});
const QVector<QString> CompanyWords = list({
    "恒信", "华通", "远大", "金桥", "新世纪", "宏达", "永安", "天成", "博远", "东方", "联创", "瑞丰",
    "正泰", "鼎盛", "汇丰", "长城", "星辰", "万通", "佳和", "中诚",
});
const QVector<QString> CompanySuffixes = list({
    "科技有限公司", "贸易有限公司", "实业有限公司", "电子有限公司", "机械制造有限公司", "物流有限公司",
    "信息技术有限公司", "咨询服务有限公司", "建设工程有限公司", "食品有限公司",
});
const QVector<QString> OtherDepts = list({
    "销售部", "技术部", "财务部", "人事部", "行政部", "生产部", "市场部", "客服部", "采购部", "研发部",
});
const QVector<QString> TrainingBodies = list({
    "市职业技能培训中心", "企业管理培训学院", "安全生产培训中心", "人力资源培训中心", "公司培训部",
    "财经专修学院", "外语培训学校", "质量管理协会",
});

// Sentences the memos are made of.
const QVector<QString> ResumeSentences = list({
    "毕业后进入本公司工作，先后在多个岗位锻炼。", "曾在外资企业从事相关工作三年，熟悉国际业务流程。",
    "具有较强的沟通协调能力和团队合作精神。", "熟练使用办公软件，能够独立完成日常报表的编制。",
    "参与过多个重点项目的策划与实施，积累了丰富的实践经验。", "工作认真负责，吃苦耐劳，服从公司安排。",
    "持有相关职业资格证书，专业基础扎实。", "在校期间担任学生干部，多次获得奖学金。",
    "曾负责区域市场的开拓工作，业绩突出。", "熟悉生产现场管理，对质量控制有一定的认识。",
    "具备良好的英语听说读写能力，可以进行日常商务交流。", "先后参加公司组织的管理培训和岗位技能培训。",
    "对财务核算和税务申报流程比较熟悉。", "善于学习新知识，能够较快适应新的工作环境。",
    "曾获得年度优秀员工称号。", "在上一家单位担任班组长，带领十余人的团队。",
    "能够熟练操作数控设备，掌握常见故障的排除方法。", "有较强的文字功底，负责过部门的公文写作工作。",
    "从事软件开发工作多年，熟悉数据库设计和系统维护。", "性格开朗，乐于助人，与同事相处融洽。",
});
const QVector<QString> RemarkSentences = list({
    "本人档案已转入公司集体户。", "试用期表现良好，按期转正。", "家庭住址如有变动请及时通知人事部门。",
    "已签订保密协议。", "需在年底前完成岗位技能复审。", "紧急联系人为其配偶，电话见登记表。",
    "体检合格，无职业禁忌。", "已办理社会保险和住房公积金缴存手续。", "曾申请调岗，待部门负责人审批。",
    "年度考核结果为良好。", "有驾驶证，可以承担外出办事任务。", "暂住证将于明年到期，需提前续办。",
    "入职材料齐全，学历证书已核验。", "本年度已休年假五天。", "参加了公司组织的消防演练。",
    "工资卡开户行为本地工商银行。",
});
// Reasons for leaving, by kind: resignation, dismissal, retirement (the lztype list's order).
const QVector<QString> LeavingReasons[3] = {
    list({"个人发展原因，另谋高就。", "家庭原因需回原籍工作。", "身体原因无法继续工作。", "考取研究生继续深造。"}),
    list({"严重违反公司规章制度。", "合同到期，双方不再续签。", "试用期考核不合格。"}),
    list({"到达法定退休年龄。"}),
};
const QVector<QString> TransferReasons = list({
    "工作需要", "个人申请", "岗位轮换", "组织调整", "晋升", "部门合并",
});

// Memo text of exactly `length` characters, from the sentences.
QString memo(Rng &rng, const QVector<QString> &sentences, int length)
{
    QString out;
    out.reserve(length + 40);
    while (out.size() < length)
        out += rng.pick(sentences);
    out.truncate(length);
    return out;
}

// The option lists of a new database, by category word (in any letter case).
class Options
{
public:
    Options()
    {
        for (const CodeSeed &c : StarterCodes())
            m_lists[QString::fromUtf8(c.type).toLower()].append(QString::fromUtf8(c.name));
    }
    const QVector<QString> &operator[](const char *type) const
    {
        static const QVector<QString> none{QString()};
        const auto it = m_lists.constFind(QString::fromLatin1(type).toLower());
        return it == m_lists.cend() || it->isEmpty() ? none : *it;
    }

private:
    QHash<QString, QVector<QString>> m_lists;
};

// ---------------------------------------------------------------------------
// Departments: four level-1 departments, each with four departments, each of
// those with two or three sections: 60 in all.
// ---------------------------------------------------------------------------
struct DeptSeed { const char *name; std::initializer_list<const char *> children; };
struct BranchSeed { const char *name; std::initializer_list<DeptSeed> depts; };
const BranchSeed Branches[] = {
    {"总公司", {{"总经理办公室", {"秘书科", "法务科"}},
               {"人力资源部", {"招聘科", "培训科", "薪酬福利科"}},
               {"财务部", {"会计科", "出纳科"}},
               {"信息技术部", {"软件开发科", "网络运维科", "数据管理科"}}}},
    {"华东分公司", {{"销售部", {"销售一科", "销售二科"}},
                   {"生产部", {"一车间", "二车间", "三车间"}},
                   {"质量管理部", {"质检科", "体系科"}},
                   {"物流部", {"仓储科", "运输科", "调度科"}}}},
    {"华南分公司", {{"销售部", {"销售一科", "销售二科"}},
                   {"研发中心", {"产品设计科", "测试科", "工艺科"}},
                   {"生产部", {"一车间", "二车间"}},
                   {"客户服务部", {"售后科", "热线科", "客户关系科"}}}},
    {"华北分公司", {{"市场部", {"品牌推广科", "市场调研科"}},
                   {"采购部", {"原料采购科", "设备采购科", "供应商管理科"}},
                   {"行政部", {"后勤科", "安保科"}},
                   {"财务部", {"会计科", "出纳科", "审计科"}}}},
};

struct Dept
{
    int id = 0;       // t_treecode.F_ID
    int level = 0;
    int branch = 0;   // index into Branches and Cities
    QString code;
    QString name;
    QString path;
};

// ---------------------------------------------------------------------------
// Statements
// ---------------------------------------------------------------------------

// A prepared insert with positional values, bound in the order of its columns.
class Insert
{
public:
    Insert(const QSqlDatabase &db, const QString &table, const QStringList &columns) : m_query(db), m_columns(columns)
    {
        QStringList marks;
        for (qsizetype i = 0; i < columns.size(); ++i)
            marks << QStringLiteral("?");
        m_ok = m_query.prepare(QStringLiteral("insert into %1(%2) values(%3)")
                                   .arg(table, columns.join(u','), marks.join(u',')));
        m_values.resize(columns.size());
    }
    bool prepared() const { return m_ok; }
    QString error() const { return m_query.lastError().text(); }

    // Sets a column's value for the next row, by name.
    void set(const char *column, const QVariant &value)
    {
        const QString c = QString::fromLatin1(column);
        int i = m_index.value(c, -1);
        if (i < 0) {
            i = int(m_columns.indexOf(c));
            Q_ASSERT(i >= 0);
            m_index.insert(c, i);
        }
        m_values[i] = value;
    }
    bool exec(WriteTransaction &tx)
    {
        for (int i = 0; i < m_values.size(); ++i)
            m_query.bindValue(i, m_values.at(i));
        ++m_rows;
        return tx.exec(m_query);
    }
    QSqlQuery &query() { return m_query; }
    qint64 rows() const { return m_rows; }

private:
    QSqlQuery m_query;
    QStringList m_columns;
    QHash<QString, int> m_index;
    QVector<QVariant> m_values;
    qint64 m_rows = 0;
    bool m_ok = false;
};

QStringList columns(const char *text)
{
    return QString::fromLatin1(text).split(u',', Qt::SkipEmptyParts);
}

// What the history rows copy from their employee.
struct EmployeeInfo
{
    int id = 0;
    QString code;
    QString name;
    QString dept;
    QString duty;
    QString daCode;
    QDate beginDate;
    double salary = 0;
    int branch = 0;
};

class Generator
{
public:
    Generator(const QSqlDatabase &db, quint64 seed) : m_db(db), m_rng(seed) {}

    bool run(int employees, int history);
    QString error() const { return m_error; }
    void report(double seconds) const;

private:
    bool makeDepartments();
    bool makeEmployees(int from, int to, int history, WriteTransaction &tx);
    bool makeHistory(const EmployeeInfo &e, int table, WriteTransaction &tx);
    QString personName(bool male);
    QString approver() { return personName(m_rng.chance(0.6)); }
    QString address(int branch);
    QString homePhone(int branch);
    QString mobile();
    QByteArray photo(int seed);
    const Dept &anyDept();

    QSqlDatabase m_db;
    Rng m_rng;
    Options m_options;
    QVector<Dept> m_depts;
    QVector<int> m_byLevel[4];
    QString m_error;
    qint64 m_photos = 0;
    qint64 m_resigned = 0;
    qint64 m_photoBytes = 0;
    std::unique_ptr<Insert> m_employee;
    std::unique_ptr<Insert> m_hist[7];
};

const char *const HistoryTables[7] = {"t_gongzuoJL", "t_PXrec", "t_DDrec", "t_KHrec", "t_HTrec", "t_TXrec", "t_QCrec"};

QString Generator::personName(bool male)
{
    const QVector<QString> &given = male ? MaleGiven : FemaleGiven;
    QString n = Surnames.pick(m_rng);
    n += m_rng.pick(given);
    if (m_rng.chance(0.62))
        n += m_rng.pick(given);
    return n;
}

QString Generator::address(int branch)
{
    const City &c = Cities[branch];
    // One draw per statement: the order of draws inside one expression is up to the compiler.
    QString a = u8(c.name) + u8(c.districts.begin()[m_rng.below(int(c.districts.size()))]);
    a += m_rng.pick(Streets);
    a += QString::number(m_rng.between(1, 999)) + QStringLiteral("号");
    a += QString::number(m_rng.between(1, 30)) + QStringLiteral("栋");
    const int floor = m_rng.between(1, 28);
    a += QString::number(floor * 100 + m_rng.between(1, 6)) + QStringLiteral("室");
    return a;
}

QString Generator::homePhone(int branch)
{
    QString p = u8(Cities[branch].areaCode) + u'-' + QChar(u'2' + m_rng.below(7));
    return p + m_rng.digits(7);
}

QString Generator::mobile()
{
    const QString prefix = m_rng.pick(MobilePrefixes);
    return prefix + m_rng.digits(8);
}

// A small portrait-like picture (a head and shoulders on a tinted background),
// different for every seed, as JPEG bytes of a few KB.
QByteArray Generator::photo(int seed)
{
    Rng r(quint64(seed) * 7919u + 17u);
    const int w = 96, h = 128;
    QImage img(w, h, QImage::Format_RGB32);
    const int br = r.between(150, 230), bg = r.between(150, 230), bb = r.between(170, 250);
    const int skin = r.between(0, 40), coat = r.between(20, 120);
    for (int y = 0; y < h; ++y) {
        QRgb *line = reinterpret_cast<QRgb *>(img.scanLine(y));
        for (int x = 0; x < w; ++x) {
            const double hx = (x - 48) / 22.0, hy = (y - 50) / 28.0;
            const double sx = (x - 48) / 44.0, sy = (y - 128) / 34.0;
            if (hx * hx + hy * hy <= 1.0)
                line[x] = qRgb(235 - skin, 200 - skin, 175 - skin);
            else if (sx * sx + sy * sy <= 1.0)
                line[x] = qRgb(coat, coat + 10, coat + 40);
            else
                line[x] = qRgb(br - y / 4, bg - y / 5, bb - y / 6);
        }
    }
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    img.save(&buffer, "JPG", 85);
    return bytes;
}

bool Generator::makeDepartments()
{
    Insert tree(m_db, QStringLiteral("t_treecode"), columns("F_code,F_name,F_likecode,F_flag"));
    if (!tree.prepared()) {
        m_error = tree.error();
        return false;
    }
    const SqlDialect &dialect = SqlDialect::of(m_db);
    auto add = [&](WriteTransaction &tx, Dept d) {
        tree.set("F_code", d.code);
        tree.set("F_name", d.name);
        tree.set("F_likecode", d.path);
        tree.set("F_flag", QStringLiteral("dept"));
        if (!tree.exec(tx))
            return false;
        d.id = int(dialect.lastInsertId(tree.query(), m_db));
        m_byLevel[d.level].append(int(m_depts.size()));
        m_depts.append(d);
        return true;
    };
    return WriteTransaction::run(m_db, [&](WriteTransaction &tx) {
        int b = 0;
        for (const BranchSeed &branch : Branches) {
            ++b;
            const Dept l1{0, 1, b - 1, QStringLiteral("%1").arg(b, 3, 10, QChar(u'0')), u8(branch.name),
                          QStringLiteral("\\\\") + u8(branch.name)};
            if (!add(tx, l1))
                return false;
            int d = 0;
            for (const DeptSeed &dept : branch.depts) {
                ++d;
                const Dept l2{0, 2, b - 1, l1.code + QStringLiteral("%1").arg(d, 3, 10, QChar(u'0')), u8(dept.name),
                              l1.path + u'\\' + u8(dept.name)};
                if (!add(tx, l2))
                    return false;
                int s = 0;
                for (const char *section : dept.children) {
                    ++s;
                    const Dept l3{0, 3, b - 1, l2.code + QStringLiteral("%1").arg(s, 3, 10, QChar(u'0')), u8(section),
                                  l2.path + u'\\' + u8(section)};
                    if (!add(tx, l3))
                        return false;
                }
            }
        }
        return true;
    }, &m_error);
}

const Dept &Generator::anyDept()
{
    return m_depts.at(m_rng.below(int(m_depts.size())));
}

// Mod 11-2 check character of an 18-character identity number.
QChar idCheck(const QString &first17)
{
    static const int weights[17] = {7, 9, 10, 5, 8, 4, 2, 1, 6, 3, 7, 9, 10, 5, 8, 4, 2};
    static const char checks[] = "10X98765432";
    int sum = 0;
    for (int i = 0; i < 17; ++i)
        sum += (first17.at(i).unicode() - u'0') * weights[i];
    return QChar::fromLatin1(checks[sum % 11]);
}

bool Generator::makeEmployees(int from, int to, int history, WriteTransaction &tx)
{
    static const Weighted duties = {
        {"普通员工", 450}, {"技术员", 120}, {"工程师", 100}, {"文员", 100}, {"组长", 80}, {"主管", 60},
        {"部门副经理", 30}, {"部门经理", 30}, {"总监", 15}, {"副总经理", 10}, {"总经理", 4}, {"董事长", 1},
    };
    static const QHash<QString, int> baseSalary = {
        {u8("普通员工"), 4200}, {u8("技术员"), 6000}, {u8("工程师"), 8500}, {u8("文员"), 4500},
        {u8("组长"), 7000}, {u8("主管"), 9000}, {u8("部门副经理"), 12000}, {u8("部门经理"), 15000},
        {u8("总监"), 22000}, {u8("副总经理"), 28000}, {u8("总经理"), 35000}, {u8("董事长"), 50000},
    };
    static const Weighted degrees = {
        {"本科", 350}, {"大专", 250}, {"高中", 100}, {"中专", 100}, {"硕士研究生", 80}, {"初中", 40},
        {"技校", 40}, {"职高", 30}, {"博士研究生", 10},
    };
    const QVector<QString> &xueliLB = m_options["xueliLB"];
    const QVector<QString> &jishuZC = m_options["jishuZC"];
    const QVector<QString> &minzu = m_options["minzu"];
    const QVector<QString> &laiyuan = m_options["laiyuan"];
    const QVector<QString> &zzmianmao = m_options["zzmianmao"];
    const QVector<QString> &pyxingshi = m_options["pyxingshi"];
    const QVector<QString> &lztype = m_options["lztype"];
    const SqlDialect &dialect = SqlDialect::of(m_db);
    Insert &ins = *m_employee;

    for (int n = from; n <= to; ++n) {
        EmployeeInfo e;
        e.code = QStringLiteral("E%1").arg(n, 6, 10, QChar(u'0'));
        const bool male = m_rng.chance(0.54);
        e.name = personName(male);

        // Most people sit in a section; some in a department itself, a few at a branch's head.
        const int roll = m_rng.below(100);
        const int level = roll < 2 ? 1 : roll < 12 ? 2 : 3;
        const Dept &dept = m_depts.at(m_rng.pick(m_byLevel[level]));
        e.dept = dept.path;
        e.branch = dept.branch;
        e.duty = duties.pick(m_rng);

        const QDate birth = m_rng.dateBetween(QDate(1962, 1, 1), QDate(2003, 12, 31));
        // A degree this person can have finished by now.
        QString degree;
        int studyEnd = 0;
        for (int tries = 0; tries < 5 && (degree.isEmpty() || birth.year() + studyEnd >= Today.year()); ++tries) {
            degree = degrees.pick(m_rng);
            studyEnd = degree.contains(u8("博士")) ? 28 : degree.contains(u8("硕士")) ? 25
                       : degree == u8("本科")     ? 22
                       : degree == u8("大专")     ? 21
                       : degree == u8("初中")     ? 15
                                                   : 18;
        }
        if (birth.year() + studyEnd >= Today.year()) {
            degree = u8("高中");
            studyEnd = 18;
        }
        const QDate graduation(birth.year() + studyEnd, 7, 1);
        const QDate earliestStart = std::max(birth.addYears(18), QDate(1990, 1, 1));
        e.beginDate = m_rng.dateBetween(std::max(earliestStart, graduation.addDays(10)), Today.addDays(-30));
        const int age = birth.daysTo(Today) / 365;
        const double salary = baseSalary.value(e.duty, 4200) * (0.85 + m_rng.below(41) / 100.0);
        e.salary = std::round(salary / 10.0) * 10.0;
        e.daCode = QStringLiteral("DA%1%2").arg(e.beginDate.year()).arg(n, 6, 10, QChar(u'0'));

        const Place &place = Places[m_rng.below(int(std::size(Places)))];
        QString id = QString::fromLatin1(place.region) + birth.toString(QStringLiteral("yyyyMMdd")) + m_rng.digits(2);
        id += QChar(u'0' + (male ? 1 : 0) + 2 * m_rng.below(5));   // odd for men, even for women
        id += idCheck(id);

        const bool resigned = m_rng.chance(0.08);
        const QDate leaving = resigned ? m_rng.dateBetween(e.beginDate.addDays(30), Today) : NoDate;
        const bool contract = m_rng.chance(0.9);
        // The current contract: signed on hiring and renewed every three years.
        QDate signedOn = e.beginDate;
        while (contract && signedOn.addYears(3) <= (resigned ? leaving : Today))
            signedOn = signedOn.addYears(3);
        const bool insured = m_rng.chance(0.93);
        const bool photo = n % PhotoEvery == 0;

        ins.set("F_code", e.code);
        ins.set("F_name", e.name);
        ins.set("F_deptID", dept.id);
        ins.set("F_dept", e.dept);
        if (photo) {
            const QByteArray jpeg = this->photo(n);
            m_photoBytes += jpeg.size();
            ++m_photos;
            ins.set("F_imagePath", e.code + QStringLiteral(".jpg"));
            ins.set("F_EmpImage", jpeg);
        } else {
            ins.set("F_imagePath", Blank);
            ins.set("F_EmpImage", QVariant(QMetaType::fromType<QByteArray>()));
        }
        ins.set("F_sex", male ? u8("男") : u8("女"));
        ins.set("F_duty", e.duty);
        ins.set("F_IFhun", (age > 26 && m_rng.chance(0.8)) || m_rng.chance(0.1) ? u8("是") : u8("否"));
        ins.set("F_minzu", m_rng.chance(0.91) ? minzu.first() : m_rng.pick(minzu));
        ins.set("F_jiguan", u8(place.name));
        ins.set("F_birthDay", m_rng.chance(0.01) ? NoDate : birth);
        ins.set("F_xueli", degree);
        ins.set("F_xueliLB", m_rng.chance(0.7) ? xueliLB.first() : m_rng.pick(xueliLB));
        ins.set("F_jishuZC", m_rng.chance(0.5) ? jishuZC.last() : m_rng.pick(jishuZC));
        if (studyEnd >= 21) {
            ins.set("F_xuexiao", m_rng.pick(Schools));
            ins.set("F_zhuanye", m_rng.pick(Majors));
        } else {
            // A school of the home town: "江苏省南京市玄武区" gives 南京市.
            QString town = u8(place.name);
            for (const QString &region : {u8("自治区"), u8("省")}) {
                if (const qsizetype at = town.indexOf(region); at >= 0)
                    town = town.mid(at + region.size());
            }
            town = town.left(town.indexOf(u8("市")) + 1);
            const bool vocational = studyEnd == 18 && degree != u8("高中");
            ins.set("F_xuexiao", town + (vocational ? u8("职业技术学校") : u8("第") + m_rng.pick(SchoolNumbers) + u8("中学")));
            ins.set("F_zhuanye", vocational ? m_rng.pick(VocationalMajors) : Blank);
        }
        ins.set("F_biyeDate", m_rng.chance(0.02) ? NoDate : graduation);
        ins.set("F_homePhone", homePhone(e.branch));
        ins.set("F_movePhone", mobile());
        ins.set("F_address", address(e.branch));
        ins.set("F_SFZcode", id);
        ins.set("F_beginDate", e.beginDate);
        ins.set("F_laiyuan", m_rng.pick(laiyuan));
        ins.set("F_gongziCode", QStringLiteral("6222") + m_rng.digits(15));
        ins.set("F_yangbaoCode", insured ? m_rng.digits(10) : Blank);
        ins.set("F_yibaoCode", insured ? m_rng.digits(12) : Blank);
        ins.set("F_bxBeginDate", insured ? e.beginDate.addMonths(1) : NoDate);
        ins.set("F_bxEndDate", insured && resigned ? leaving : NoDate);
        ins.set("F_bxMem", insured && m_rng.chance(0.1) ? u8("已办理社会保险转移接续手续。") : Blank);
        ins.set("F_mem1", memo(m_rng, ResumeSentences, m_rng.between(100, 300)));
        ins.set("F_mem2", memo(m_rng, RemarkSentences, m_rng.between(100, 300)));
        ins.set("F_useFlag", resigned);
        ins.set("F_ZZmianmao", m_rng.pick(zzmianmao));
        ins.set("F_PYxingshi", m_rng.chance(0.7) ? pyxingshi.first() : m_rng.pick(pyxingshi));
        ins.set("F_gongZI", e.salary);
        // Retirement only from fifty on; otherwise resignation four times as often as dismissal.
        const int kind = !resigned ? 0 : age >= 50 && m_rng.chance(0.6) ? 2 : m_rng.chance(0.8) ? 0 : 1;
        ins.set("F_LZtype", resigned ? lztype.at(std::min(kind, int(lztype.size()) - 1)) : Blank);
        ins.set("F_LZdate", leaving);
        ins.set("F_LZmem", resigned ? m_rng.pick(LeavingReasons[kind]) : Blank);
        ins.set("F_QDdate", signedOn);
        ins.set("F_HTqixian", contract ? u8("有") : u8("无"));
        ins.set("F_endDate", contract ? signedOn.addYears(3).addDays(-1) : NoDate);
        ins.set("F_CBflag", insured ? u8("是") : u8("否"));
        ins.set("F_DAcode", e.daCode);
        if (!ins.exec(tx))
            return false;
        if (resigned)
            ++m_resigned;
        e.id = int(dialect.lastInsertId(ins.query(), m_db));

        // K rows over the seven tables, starting at a different table for each employee.
        for (int k = 0; k < history; ++k) {
            if (!makeHistory(e, (n + k) % 7, tx))
                return false;
        }
    }
    return true;
}

bool Generator::makeHistory(const EmployeeInfo &e, int table, WriteTransaction &tx)
{
    Insert &ins = *m_hist[table];
    const QDate when = m_rng.dateBetween(e.beginDate, Today);
    auto shortMemo = [&](const QVector<QString> &s) { return memo(m_rng, s, m_rng.between(20, 60)); };
    switch (table) {
    case 0: {   // work experience before joining
        const QDate to = e.beginDate.addDays(-m_rng.between(15, 400));
        ins.set("F_empID", e.id);
        ins.set("F_fromDate", to.addDays(-m_rng.between(300, 2500)));
        ins.set("F_toDate", to);
        QString company = u8(Cities[m_rng.below(4)].name).left(2);
        company += m_rng.pick(CompanyWords);
        company += m_rng.pick(CompanySuffixes);
        ins.set("F_name", company);
        ins.set("F_hangye", m_rng.pick(m_options["hangye"]));
        ins.set("F_type", m_rng.pick(m_options["gstype"]));
        ins.set("F_dept", m_rng.pick(OtherDepts));
        ins.set("F_duty", m_rng.pick(m_options["duty"]));
        ins.set("F_mem", shortMemo(ResumeSentences));
        break;
    }
    case 1:   // training
        ins.set("F_empID", e.id);
        ins.set("F_EmpCode", e.code);
        ins.set("F_EmpName", e.name);
        ins.set("F_EmpDept", e.dept);
        ins.set("F_fromDate", when);
        ins.set("F_toDate", when.addDays(m_rng.between(0, 30)));
        ins.set("F_name", u8(Cities[e.branch].name) + m_rng.pick(TrainingBodies));
        ins.set("F_address", address(e.branch));
        ins.set("F_kecheng", m_rng.pick(m_options["kecheng"]));
        ins.set("F_zhengshu", m_rng.chance(0.4) ? m_rng.pick(m_options["zhengshu"]) : Blank);
        ins.set("F_mem", shortMemo(RemarkSentences));
        break;
    case 2: {   // transfer into the present department
        const Dept &old = anyDept();
        ins.set("F_empID", e.id);
        ins.set("F_code", e.code);
        ins.set("F_name", e.name);
        ins.set("F_DDdate", when);
        ins.set("F_OLDdept", old.path);
        ins.set("F_OLDduty", m_rng.pick(m_options["duty"]));
        ins.set("F_NewDept", e.dept);
        ins.set("F_NewDuty", e.duty);
        ins.set("F_Memo1", m_rng.pick(TransferReasons));
        ins.set("F_PZemp", approver());
        ins.set("F_Memo2", shortMemo(RemarkSentences));
        ins.set("F_editDate", when);
        ins.set("F_useFlag", false);
        ins.set("F_OLDdaCode", QStringLiteral("DA") + m_rng.digits(10));
        ins.set("F_DAcode", e.daCode);
        break;
    }
    case 3: {   // appraisal
        const int score = m_rng.between(55, 100);
        const QVector<QString> &grades = m_options["khdj"];   // best first
        const int grade = score >= 90 ? 0 : score >= 80 ? 1 : score >= 70 ? 2 : score >= 60 ? 3 : 4;
        ins.set("F_KHdate", when);
        ins.set("F_empID", e.id);
        ins.set("F_code", e.code);
        ins.set("F_name", e.name);
        ins.set("F_dept", e.dept);
        ins.set("F_KHtype", m_rng.pick(m_options["khtype"]));
        ins.set("F_KHqixian", m_rng.pick(m_options["khqixian"]));
        ins.set("F_KHcj", score);
        ins.set("F_KHdj", grades.at(std::min(grade, int(grades.size()) - 1)));
        ins.set("F_Memo1", shortMemo(ResumeSentences));
        ins.set("F_PJemp", approver());
        ins.set("F_Memo2", shortMemo(RemarkSentences));
        ins.set("F_KHtime", m_rng.pick(m_options["khtime"]));
        break;
    }
    case 4: {   // contract
        const int months = m_rng.chance(0.8) ? 36 : m_rng.pick(QVector<int>{12, 24, 60});
        ins.set("F_empID", e.id);
        ins.set("F_code", e.code);
        ins.set("F_name", e.name);
        ins.set("F_dept", e.dept);
        ins.set("F_HTcode", QStringLiteral("HT%1-%2").arg(when.year()).arg(m_rng.digits(6)));
        ins.set("F_HTname", u8("劳动合同书"));
        ins.set("F_HTdate", when);
        ins.set("F_HTtype", m_rng.chance(0.7) ? m_options["httype"].first() : m_rng.pick(m_options["httype"]));
        ins.set("F_beginDate", when);
        ins.set("F_endDate", when.addMonths(months).addDays(-1));
        ins.set("F_YFamount", QString::number(months));
        ins.set("F_Memo1", shortMemo(RemarkSentences));
        ins.set("F_HTstatus", when.addMonths(months) < Today ? u8("已到期") : u8("履行中"));
        ins.set("F_FilePath", QStringLiteral("合同/%1/%2.pdf").arg(when.year()).arg(e.code));
        ins.set("F_PZemp", approver());
        ins.set("F_Memo2", Blank);
        break;
    }
    case 5: {   // salary adjustment
        const double before = std::round(e.salary * (0.8 + m_rng.below(15) / 100.0) / 10.0) * 10.0;
        ins.set("F_code", e.code);
        ins.set("F_name", e.name);
        ins.set("F_dept", e.dept);
        ins.set("F_TXdate", when);
        ins.set("F_reason", m_rng.pick(m_options["txreason"]));
        ins.set("F_beginPrice", before);
        ins.set("F_endPrice", e.salary);
        ins.set("F_memo1", shortMemo(RemarkSentences));
        ins.set("F_PZemp", approver());
        ins.set("F_empID", e.id);
        break;
    }
    case 6: {   // reward or punishment
        const bool reward = m_rng.chance(0.75);
        const QVector<QString> &items = m_options["qcitem"];   // rewards first, then punishments
        const int half = int(items.size()) / 2 + 1;
        const bool revoked = !reward && m_rng.chance(0.1);
        ins.set("F_empID", e.id);
        ins.set("F_code", e.code);
        ins.set("F_name", e.name);
        ins.set("F_QCitem", items.at(reward ? m_rng.below(half) : std::min(half + m_rng.below(int(items.size()) - half), int(items.size()) - 1)));
        ins.set("F_QCtype", m_options["qctype"].at(reward ? 0 : std::min(1, int(m_options["qctype"].size()) - 1)));
        ins.set("F_QCdate", when);
        ins.set("F_Memo1", shortMemo(ResumeSentences));
        ins.set("F_Memo2", shortMemo(RemarkSentences));
        ins.set("F_PZdept", m_rng.pick(OtherDepts));
        ins.set("F_PZemp", approver());
        ins.set("F_Memo3", Blank);
        ins.set("F_CXdate", revoked ? m_rng.dateBetween(when, Today) : NoDate);
        ins.set("F_Memo4", revoked ? u8("经复查予以撤消。") : Blank);
        ins.set("F_dept", m_rng.chance(0.5) ? e.dept : Blank);
        break;
    }
    }
    return ins.exec(tx);
}

bool Generator::run(int employees, int history)
{
    if (!makeDepartments())
        return false;

    m_employee = std::make_unique<Insert>(m_db, QStringLiteral("t_Employee"), columns(
        "F_code,F_name,F_deptID,F_dept,F_imagePath,F_EmpImage,F_sex,F_duty,F_IFhun,F_minzu,F_jiguan,F_birthDay,"
        "F_xueli,F_xueliLB,F_jishuZC,F_xuexiao,F_zhuanye,F_biyeDate,F_homePhone,F_movePhone,F_address,F_SFZcode,"
        "F_beginDate,F_laiyuan,F_gongziCode,F_yangbaoCode,F_yibaoCode,F_bxBeginDate,F_bxEndDate,F_bxMem,F_mem1,"
        "F_mem2,F_useFlag,F_ZZmianmao,F_PYxingshi,F_gongZI,F_LZtype,F_LZdate,F_LZmem,F_QDdate,F_HTqixian,"
        "F_endDate,F_CBflag,F_DAcode"));
    const char *const histColumns[7] = {
        "F_empID,F_fromDate,F_toDate,F_name,F_hangye,F_type,F_dept,F_duty,F_mem",
        "F_empID,F_EmpCode,F_EmpName,F_EmpDept,F_fromDate,F_toDate,F_name,F_address,F_kecheng,F_zhengshu,F_mem",
        "F_empID,F_code,F_name,F_DDdate,F_OLDdept,F_OLDduty,F_NewDept,F_NewDuty,F_Memo1,F_PZemp,F_Memo2,"
        "F_editDate,F_useFlag,F_OLDdaCode,F_DAcode",
        "F_KHdate,F_empID,F_code,F_name,F_dept,F_KHtype,F_KHqixian,F_KHcj,F_KHdj,F_Memo1,F_PJemp,F_Memo2,F_KHtime",
        "F_empID,F_code,F_name,F_dept,F_HTcode,F_HTname,F_HTdate,F_HTtype,F_beginDate,F_endDate,F_YFamount,"
        "F_Memo1,F_HTstatus,F_FilePath,F_PZemp,F_Memo2",
        "F_code,F_name,F_dept,F_TXdate,F_reason,F_beginPrice,F_endPrice,F_memo1,F_PZemp,F_empID",
        "F_empID,F_code,F_name,F_QCitem,F_QCtype,F_QCdate,F_Memo1,F_Memo2,F_PZdept,F_PZemp,F_Memo3,F_CXdate,"
        "F_Memo4,F_dept",
    };
    if (!m_employee->prepared()) {
        m_error = m_employee->error();
        return false;
    }
    for (int t = 0; t < 7; ++t) {
        m_hist[t] = std::make_unique<Insert>(m_db, QString::fromLatin1(HistoryTables[t]), columns(histColumns[t]));
        if (!m_hist[t]->prepared()) {
            m_error = QString::fromLatin1(HistoryTables[t]) + QStringLiteral(": ") + m_hist[t]->error();
            return false;
        }
    }

    for (int from = 1; from <= employees; from += EmployeesPerTransaction) {
        const int to = std::min(employees, from + EmployeesPerTransaction - 1);
        if (!WriteTransaction::run(m_db, [&](WriteTransaction &tx) { return makeEmployees(from, to, history, tx); },
                                   &m_error))
            return false;
        std::fprintf(stderr, "\r%d / %d employees", to, employees);
    }
    if (employees > 0)
        std::fprintf(stderr, "\n");
    // No ANALYZE: the program never runs one on SQLite, so the planner works as on a site's database.
    return true;
}

void Generator::report(double seconds) const
{
    std::printf("departments: %lld (levels 1/2/3: %lld/%lld/%lld)\n", qlonglong(m_depts.size()),
                qlonglong(m_byLevel[1].size()), qlonglong(m_byLevel[2].size()), qlonglong(m_byLevel[3].size()));
    std::printf("employees:   %lld (%lld resigned, %lld with a photo, %lld photo bytes)\n",
                qlonglong(m_employee ? m_employee->rows() : 0), qlonglong(m_resigned), qlonglong(m_photos),
                qlonglong(m_photoBytes));
    for (int t = 0; t < 7; ++t)
        std::printf("%-12s %lld rows\n", HistoryTables[t], qlonglong(m_hist[t] ? m_hist[t]->rows() : 0));
    std::printf("time:        %.1f s\n", seconds);
}

int fail(const QString &message)
{
    std::fprintf(stderr, "qarvel-gendata: %s\n", qPrintable(message));
    return 1;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("qarvel-gendata"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Fills a new database with generated employees for the benchmarks."));
    parser.addHelpOption();
    const QCommandLineOption employeesOption(QStringLiteral("employees"), QStringLiteral("Number of employees."),
                                             QStringLiteral("N"), QStringLiteral("10000"));
    const QCommandLineOption historyOption(QStringLiteral("history"), QStringLiteral("History rows per employee."),
                                           QStringLiteral("K"), QStringLiteral("5"));
    const QCommandLineOption seedOption(QStringLiteral("seed"), QStringLiteral("Seed of the generator."),
                                        QStringLiteral("S"), QStringLiteral("20240628"));
    const QCommandLineOption pgOption(QStringLiteral("pg"),
                                      QStringLiteral("An empty PostgreSQL database instead of FOLDER (libpq key=value text)."),
                                      QStringLiteral("connection"));
    parser.addOptions({employeesOption, historyOption, seedOption, pgOption});
    parser.addPositionalArgument(QStringLiteral("FOLDER"), QStringLiteral("Folder of the new Employee.db."));
    parser.process(app);

    bool ok1 = false, ok2 = false, ok3 = false;
    const int employees = parser.value(employeesOption).toInt(&ok1);
    const int history = parser.value(historyOption).toInt(&ok2);
    const quint64 seed = parser.value(seedOption).toULongLong(&ok3);
    if (!ok1 || !ok2 || !ok3 || employees < 0 || employees > 999999 || history < 0)
        return fail(QStringLiteral("--employees takes 0 to 999999, --history 0 or more, --seed a number"));

    DbSettings settings;
    if (parser.isSet(pgOption)) {
        settings = DbSettings::fromConnectionString(parser.value(pgOption));
    } else {
        if (parser.positionalArguments().size() != 1)
            parser.showHelp(1);
        settings.engine = DbEngine::Sqlite;
        settings.defaultFolder = false;
        settings.dataFolder = QDir(parser.positionalArguments().first()).absolutePath() + u'/';
    }

    QElapsedTimer timer;
    timer.start();
    const Database::Result created = Database::create(settings);
    if (!created.ok())
        return fail(created.message);
    const QString connection = QStringLiteral("gendata");
    const Database::Result opened = Database::open(settings, false, connection);
    if (!opened.ok())
        return fail(opened.message);

    int rc = 0;
    {
        Generator generator(QSqlDatabase::database(connection), seed);
        if (!generator.run(employees, history)) {
            rc = fail(generator.error());
        } else {
            std::printf("database:    %s\n", qPrintable(settings.describe()));
            generator.report(timer.elapsed() / 1000.0);
            if (settings.engine == DbEngine::Sqlite)
                std::printf("file size:   %.1f MB\n", QFileInfo(settings.sqliteFile()).size() / 1048576.0);
        }
    }
    Database::close(connection);
    return rc;
}

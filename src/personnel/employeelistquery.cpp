#include "personnel/employeelistquery.h"

#include "app/deptfilter.h"
#include "app/likepattern.h"
#include "db/schema.h"

namespace EmployeeListQuery {

namespace {

const char *const BaseWhere = " where (1=1) ";

ListQuery base()
{
    ListQuery q;
    q.columns = listColumns();
    q.from = QStringLiteral("t_Employee");
    q.where = QString::fromLatin1(BaseWhere);
    q.baseOrder = QStringLiteral("F_ID");
    q.key = QStringLiteral("F_ID");
    return q;
}

// Appends "and {field} like :p ESCAPE '!' " with the pattern bound.
void addLike(ListQuery &q, const QString &field, const QString &pattern)
{
    const QString param = QStringLiteral(":p%1").arg(q.values.size());
    q.where += QStringLiteral("and ") + LikePattern::condition(field, param) + u' ';
    q.values.insert(param, pattern);
}

void addEqual(ListQuery &q, const QString &field, const QString &value)
{
    const QString param = QStringLiteral(":p%1").arg(q.values.size());
    q.where += QStringLiteral("and %1 = %2 ").arg(field, param);
    q.values.insert(param, value);
}

void addDate(ListQuery &q, const QString &field, const char *op, const QDate &date)
{
    const QString param = QStringLiteral(":p%1").arg(q.values.size());
    q.where += QStringLiteral("and %1 %2 %3 ").arg(field, QLatin1String(op), param);
    q.values.insert(param, date);
}

} // namespace

QString listColumns()
{
    QStringList names;
    for (const ColumnDef &c : Schema::table(QStringLiteral("t_Employee"))->columns) {
        if (c.type != ColType::Blob)
            names << c.name;
    }
    return names.join(QStringLiteral(", "));
}

GridColumns defaultColumns()
{
    static const std::pair<const char *, const char *> columns[] = {
        {"F_code", "员工编号"}, {"F_name", "员工名称"}, {"F_dept", "部门"}, {"F_sex", "性别"},
        {"F_duty", "职务"}, {"F_IFhun", "婚否"}, {"F_minzu", "民族"}, {"F_jiguan", "籍贯"},
        {"F_birthDay", "生日"}, {"F_xueli", "学历"}, {"F_xueliLB", "学历类别"}, {"F_DAcode", "档案号"},
        {"F_jishuZC", "技术职称"}, {"F_xuexiao", "学校"}, {"F_zhuanye", "专业"}, {"F_biyeDate", "毕业日期"},
        {"F_homePhone", "联系电话"}, {"F_movePhone", "手机"}, {"F_address", "现居住地"}, {"F_SFZcode", "身份证号"},
        {"F_beginDate", "录用日期"}, {"F_laiyuan", "录用来源"}, {"F_gongziCode", "工资卡号"}, {"F_mem1", "个人简历"},
        {"F_mem2", "备注"}, {"F_useFlag", "离职否"}, {"F_ZZmianmao", "政治面貌"}, {"F_PYxingshi", "聘用形式"},
        {"F_gongZI", "基本工资"}, {"F_QDdate", "签订日期"}, {"F_HTqixian", "合同期限"}, {"F_endDate", "合同到期时间"},
        {"F_CBflag", "参保否"},
    };
    GridColumns out;
    for (const auto &[field, caption] : columns) {
        GridColumn c;
        c.field = QString::fromLatin1(field);
        c.caption = QString::fromUtf8(caption);
        c.width = 80;
        out << c;
    }
    return out;
}

QStringList blankDateFields()
{
    return {QStringLiteral("F_birthDay"), QStringLiteral("F_biyeDate"), QStringLiteral("F_beginDate"),
            QStringLiteral("F_QDdate"), QStringLiteral("F_endDate")};
}

const QVector<SearchColumn> &searchColumns()
{
    static const QVector<SearchColumn> columns = {
        {"---未选择---", ""},     {"编    号", "f_code"},     {"姓    名", "f_name"},       {"档 案 号", "f_DAcode"},
        {"毕业院校", "F_xuexiao"}, {"专    业", "F_zhuanYe"},  {"籍    贯", "f_jiguan"},     {"联系电话", "f_HomePhone"},
        {"手    机", "f_movePhone"}, {"现居住地", "f_address"}, {"身份证号", "f_SFZcode"},  {"工资卡号", "F_gongziCode"},
        {"个人简历", "F_mem1"},    {"备    注", "F_mem2"},
    };
    return columns;
}

const QVector<ItemKind> &itemKinds()
{
    static const QVector<ItemKind> kinds = {
        {"性    别", "F_sex"},       {"婚    否", "F_IFhun"},   {"职    务", "F_duty"},      {"民    族", "F_minZu"},
        {"政治面貌", "F_ZZmianmao"}, {"学历类别", "F_xueliLB"}, {"学    历", "F_xueLI"},     {"技术职称", "F_jishuZC"},
        {"录用来源", "F_laiyuan"},   {"聘用形式", "F_PYxingshi"}, {"合同期限", "F_HTqixian"},
    };
    return kinds;
}

QString itemValuesSql(int kind)
{
    const QString col = QString::fromLatin1(itemKinds().value(kind, itemKinds().first()).field);
    return QStringLiteral("select distinct %1 as F_name from T_employee where (F_useFlag = false)and(%1 <> '') group by %1")
        .arg(col);
}

ListQuery compose(const Filter &f)
{
    ListQuery q = base();
    if (f.searchColumn > 0 && f.searchColumn < searchColumns().size()) {
        // An empty value still keeps only the rows whose column holds something.
        addLike(q, QString::fromLatin1(searchColumns().at(f.searchColumn).field), LikePattern::contains(f.searchText.trimmed()));
    }
    if (!f.includeResigned)
        q.where += QStringLiteral("and F_Useflag = false ");
    if (f.leftPage == 0) {
        if (!f.itemValue.isEmpty() && f.itemKind >= 0 && f.itemKind < itemKinds().size())
            addEqual(q, QString::fromLatin1(itemKinds().at(f.itemKind).field), f.itemValue);
    } else {
        q.where += DeptSubtreeCondition(QStringLiteral("F_dept"), f.deptPath, q.values,
                                        QStringLiteral(":p%1").arg(q.values.size())).mid(1);
    }
    return q;
}

ListQuery compose(const Conditions &c)
{
    ListQuery q = base();
    const auto prefix = [&](const char *field, const QString &value) {
        if (!value.trimmed().isEmpty())
            addLike(q, QString::fromLatin1(field), LikePattern::startsWith(value.trimmed()));
    };
    const auto contains = [&](const char *field, const QString &value) {
        if (!value.trimmed().isEmpty())
            addLike(q, QString::fromLatin1(field), LikePattern::contains(value.trimmed()));
    };
    const auto equal = [&](const char *field, const QString &value) {
        if (!value.trimmed().isEmpty())
            addEqual(q, QString::fromLatin1(field), value.trimmed());
    };
    prefix("F_code", c.code);
    contains("F_name", c.name);
    if (!c.dept.trimmed().isEmpty())
        q.where += DeptSubtreeCondition(QStringLiteral("F_dept"), c.dept.trimmed(), q.values,
                                        QStringLiteral(":p%1").arg(q.values.size())).mid(1);
    equal("F_duty", c.duty);
    equal("F_sex", c.sex);
    equal("F_IFhun", c.ifHun);
    equal("F_minzu", c.minzu);
    equal("F_xueliLB", c.xueliLB);
    equal("F_xueli", c.xueli);
    equal("F_jishuZC", c.jishuZC);
    contains("F_zhuanye", c.zhuanye);
    contains("F_xuexiao", c.xuexiao);
    contains("F_homePhone", c.homePhone);
    contains("F_jiguan", c.jiguan);
    equal("F_laiyuan", c.laiyuan);
    contains("F_Address", c.address);
    contains("F_SFZcode", c.sfzCode);
    if (c.use == 1)
        q.where += QStringLiteral("and F_useFlag = false ");
    else if (c.use == 2)
        q.where += QStringLiteral("and F_useFlag = true ");
    if (c.graduationRange) {
        if (c.graduationFromTicked)
            addDate(q, QStringLiteral("F_biyedate"), ">=", c.graduationFrom);
        if (c.graduationToTicked)
            addDate(q, QStringLiteral("F_biyedate"), "<=", c.graduationTo);
    }
    if (c.hireRange) {
        if (c.hireFromTicked)
            addDate(q, QStringLiteral("F_beginDate"), ">=", c.hireFrom);
        if (c.hireToTicked)
            addDate(q, QStringLiteral("F_beginDate"), "<=", c.hireTo);
    }
    return q;
}

QString statementText(const ListQuery &q)
{
    return QStringLiteral("select * from t_employee") + q.where + QStringLiteral("order by ") + q.baseOrder;
}

} // namespace EmployeeListQuery

#include "db/seedlists.h"

// Starter content of a new database: option lists (t_code), the import
// mapping of t_employee (cfg_import) and the statistics of the chart window
// (cfg_stat). Everything here is constant data; the database creator turns it
// into rows.

namespace {

// ---------------------------------------------------------------------------
// t_code: (category word, entry text). Entries of one category stay together.
// ---------------------------------------------------------------------------
constexpr CodeSeed kCodes[] = {
    // 职务
    {"duty", "董事长"},
    {"duty", "总经理"},
    {"duty", "副总经理"},
    {"duty", "总监"},
    {"duty", "部门经理"},
    {"duty", "部门副经理"},
    {"duty", "主管"},
    {"duty", "组长"},
    {"duty", "工程师"},
    {"duty", "技术员"},
    {"duty", "文员"},
    {"duty", "普通员工"},

    // 学历类别
    {"xueliLB", "全日制"},
    {"xueliLB", "非全日制"},
    {"xueliLB", "成人高考"},
    {"xueliLB", "自学考试"},
    {"xueliLB", "网络教育"},
    {"xueliLB", "开放教育"},
    {"xueliLB", "函授"},

    // 学历
    {"xueli", "博士研究生"},
    {"xueli", "硕士研究生"},
    {"xueli", "本科"},
    {"xueli", "大专"},
    {"xueli", "中专"},
    {"xueli", "技校"},
    {"xueli", "职高"},
    {"xueli", "高中"},
    {"xueli", "初中"},
    {"xueli", "小学"},

    // 技术职称
    {"jishuZC", "正高级工程师"},
    {"jishuZC", "高级工程师"},
    {"jishuZC", "工程师"},
    {"jishuZC", "助理工程师"},
    {"jishuZC", "技术员"},
    {"jishuZC", "高级经济师"},
    {"jishuZC", "经济师"},
    {"jishuZC", "助理经济师"},
    {"jishuZC", "高级会计师"},
    {"jishuZC", "会计师"},
    {"jishuZC", "助理会计师"},
    {"jishuZC", "无"},

    // 民族: the 56 ethnic groups in their customary order
    {"minzu", "汉族"},
    {"minzu", "蒙古族"},
    {"minzu", "回族"},
    {"minzu", "藏族"},
    {"minzu", "维吾尔族"},
    {"minzu", "苗族"},
    {"minzu", "彝族"},
    {"minzu", "壮族"},
    {"minzu", "布依族"},
    {"minzu", "朝鲜族"},
    {"minzu", "满族"},
    {"minzu", "侗族"},
    {"minzu", "瑶族"},
    {"minzu", "白族"},
    {"minzu", "土家族"},
    {"minzu", "哈尼族"},
    {"minzu", "哈萨克族"},
    {"minzu", "傣族"},
    {"minzu", "黎族"},
    {"minzu", "傈僳族"},
    {"minzu", "佤族"},
    {"minzu", "畲族"},
    {"minzu", "高山族"},
    {"minzu", "拉祜族"},
    {"minzu", "水族"},
    {"minzu", "东乡族"},
    {"minzu", "纳西族"},
    {"minzu", "景颇族"},
    {"minzu", "柯尔克孜族"},
    {"minzu", "土族"},
    {"minzu", "达斡尔族"},
    {"minzu", "仫佬族"},
    {"minzu", "羌族"},
    {"minzu", "布朗族"},
    {"minzu", "撒拉族"},
    {"minzu", "毛南族"},
    {"minzu", "仡佬族"},
    {"minzu", "锡伯族"},
    {"minzu", "阿昌族"},
    {"minzu", "普米族"},
    {"minzu", "塔吉克族"},
    {"minzu", "怒族"},
    {"minzu", "乌孜别克族"},
    {"minzu", "俄罗斯族"},
    {"minzu", "鄂温克族"},
    {"minzu", "德昂族"},
    {"minzu", "保安族"},
    {"minzu", "裕固族"},
    {"minzu", "京族"},
    {"minzu", "塔塔尔族"},
    {"minzu", "独龙族"},
    {"minzu", "鄂伦春族"},
    {"minzu", "赫哲族"},
    {"minzu", "门巴族"},
    {"minzu", "珞巴族"},
    {"minzu", "基诺族"},

    // 录用来源
    {"laiyuan", "校园招聘"},
    {"laiyuan", "社会招聘"},
    {"laiyuan", "网络招聘"},
    {"laiyuan", "人才市场"},
    {"laiyuan", "内部推荐"},
    {"laiyuan", "猎头推荐"},
    {"laiyuan", "劳务派遣"},
    {"laiyuan", "职业介绍机构"},
    {"laiyuan", "其他"},

    // 行业
    {"hangye", "农、林、牧、渔业"},
    {"hangye", "制造业"},
    {"hangye", "建筑业"},
    {"hangye", "批发和零售业"},
    {"hangye", "交通运输、仓储和邮政业"},
    {"hangye", "住宿和餐饮业"},
    {"hangye", "信息传输、软件和信息技术服务业"},
    {"hangye", "金融业"},
    {"hangye", "房地产业"},
    {"hangye", "租赁和商务服务业"},
    {"hangye", "教育"},
    {"hangye", "卫生和社会工作"},

    // 公司性质 (read by the work-history editor and the detail statistics)
    {"gstype", "国有企业"},
    {"gstype", "集体企业"},
    {"gstype", "民营企业"},
    {"gstype", "股份有限公司"},
    {"gstype", "有限责任公司"},
    {"gstype", "中外合资企业"},
    {"gstype", "外商独资企业"},
    {"gstype", "港澳台资企业"},
    {"gstype", "事业单位"},
    {"gstype", "党政机关"},
    {"gstype", "个体工商户"},
    {"gstype", "其他"},

    // 培训项目
    {"kecheng", "新员工入职培训"},
    {"kecheng", "企业文化培训"},
    {"kecheng", "岗位技能培训"},
    {"kecheng", "安全生产培训"},
    {"kecheng", "消防安全培训"},
    {"kecheng", "质量管理培训"},
    {"kecheng", "管理能力培训"},
    {"kecheng", "职业素养培训"},
    {"kecheng", "法律法规培训"},
    {"kecheng", "财务知识培训"},
    {"kecheng", "办公软件培训"},
    {"kecheng", "外语培训"},

    // 资格证书
    {"zhengshu", "会计专业技术资格证书"},
    {"zhengshu", "注册会计师证书"},
    {"zhengshu", "企业人力资源管理师证书"},
    {"zhengshu", "教师资格证书"},
    {"zhengshu", "法律职业资格证书"},
    {"zhengshu", "注册建造师证书"},
    {"zhengshu", "特种作业操作证"},
    {"zhengshu", "电工证"},
    {"zhengshu", "焊工证"},
    {"zhengshu", "叉车证"},
    {"zhengshu", "计算机等级证书"},
    {"zhengshu", "英语等级证书"},

    // 合同类型
    {"httype", "固定期限劳动合同"},
    {"httype", "无固定期限劳动合同"},
    {"httype", "以完成一定工作任务为期限的劳动合同"},
    {"httype", "非全日制用工合同"},
    {"httype", "劳务派遣合同"},
    {"httype", "劳务合同"},
    {"httype", "实习协议"},
    {"httype", "保密协议"},
    {"httype", "竞业限制协议"},

    // 合同状态
    {"htstatus", "待签订"},
    {"htstatus", "履行中"},
    {"htstatus", "已续签"},
    {"htstatus", "已到期"},
    {"htstatus", "已终止"},
    {"htstatus", "已解除"},

    // 奖惩项目
    {"qcitem", "通报表扬"},
    {"qcitem", "嘉奖"},
    {"qcitem", "记功"},
    {"qcitem", "记大功"},
    {"qcitem", "优秀员工"},
    {"qcitem", "全勤奖"},
    {"qcitem", "合理化建议奖"},
    {"qcitem", "通报批评"},
    {"qcitem", "警告"},
    {"qcitem", "记过"},
    {"qcitem", "记大过"},
    {"qcitem", "罚款"},

    // 奖惩类型
    {"qctype", "奖励"},
    {"qctype", "处罚"},
    {"qctype", "其他"},

    // 考核类型
    {"khtype", "试用期考核"},
    {"khtype", "转正考核"},
    {"khtype", "月度考核"},
    {"khtype", "季度考核"},
    {"khtype", "半年度考核"},
    {"khtype", "年度考核"},
    {"khtype", "晋升考核"},
    {"khtype", "专项考核"},

    // 考核期限
    {"khqixian", "月度"},
    {"khqixian", "季度"},
    {"khqixian", "半年度"},
    {"khqixian", "年度"},
    {"khqixian", "试用期"},

    // 考核等级
    {"khdj", "优秀"},
    {"khdj", "良好"},
    {"khdj", "合格"},
    {"khdj", "基本合格"},
    {"khdj", "不合格"},

    // 考核时间
    {"khtime", "每月月底"},
    {"khtime", "每季度末"},
    {"khtime", "每年年中"},
    {"khtime", "每年年底"},
    {"khtime", "试用期满前"},

    // 政治面貌
    {"zzmianmao", "中共党员"},
    {"zzmianmao", "中共预备党员"},
    {"zzmianmao", "共青团员"},
    {"zzmianmao", "民主党派成员"},
    {"zzmianmao", "无党派人士"},
    {"zzmianmao", "群众"},

    // 离职方式
    {"lztype", "辞职"},
    {"lztype", "辞退"},
    {"lztype", "退休"},

    // 节育措施
    {"jieyu", "宫内节育器"},
    {"jieyu", "女性绝育"},
    {"jieyu", "男性绝育"},
    {"jieyu", "皮下埋植"},
    {"jieyu", "口服避孕药"},
    {"jieyu", "避孕针"},
    {"jieyu", "避孕套"},
    {"jieyu", "未采取措施"},

    // 聘用形式
    {"pyxingshi", "全职"},
    {"pyxingshi", "兼职"},
    {"pyxingshi", "合同制"},
    {"pyxingshi", "劳务派遣"},
    {"pyxingshi", "临时聘用"},
    {"pyxingshi", "实习"},
    {"pyxingshi", "退休返聘"},
    {"pyxingshi", "业务外包"},

    // 调薪理由
    {"txreason", "试用期转正"},
    {"txreason", "职务晋升"},
    {"txreason", "岗位调整"},
    {"txreason", "年度调薪"},
    {"txreason", "绩效考核"},
    {"txreason", "降职降级"},
    {"txreason", "工龄增长"},
    {"txreason", "最低工资标准调整"},
};

// ---------------------------------------------------------------------------
// cfg_import for t_employee: the columns an import may fill, in table order.
// Left out: the key, the unused department number, the photo and its file
// name, the unused memo columns and the unused operator name.
// ---------------------------------------------------------------------------
constexpr ImportSeed kImportColumns[] = {
    {"F_code", "员工编号"},
    {"F_name", "员工名称"},
    {"F_dept", "部门"},
    {"F_sex", "性别"},
    {"F_duty", "职务"},
    {"F_IFhun", "婚否"},
    {"F_minzu", "民族"},
    {"F_jiguan", "籍贯"},
    {"F_birthDay", "生日"},
    {"F_xueli", "学历"},
    {"F_xueliLB", "学历类别"},
    {"F_jishuZC", "技术职称"},
    {"F_xuexiao", "学校"},
    {"F_zhuanye", "专业"},
    {"F_biyeDate", "毕业日期"},
    {"F_homePhone", "联系电话"},
    {"F_movePhone", "手机"},
    {"F_address", "现居住地"},
    {"F_SFZcode", "身份证号"},
    {"F_beginDate", "录用日期"},
    {"F_laiyuan", "录用来源"},
    {"F_gongziCode", "工资卡号"},
    {"F_yangbaoCode", "养保卡号"},
    {"F_yibaoCode", "医保卡号"},
    {"F_bxBeginDate", "保险开始日期"},
    {"F_bxEndDate", "保险截止日期"},
    {"F_bxMem", "保险备注"},
    {"F_mem1", "个人简历"},
    {"F_mem2", "备注"},
    {"F_useFlag", "离职否"},
    {"F_ZZmianmao", "政治面貌"},
    {"F_PYxingshi", "聘用形式"},
    {"F_gongZI", "基本工资"},
    {"F_LZtype", "离职类型"},
    {"F_LZdate", "离职日期"},
    {"F_LZmem", "离职原因"},
    {"F_QDdate", "签订日期"},
    {"F_HTqixian", "合同期限"},
    {"F_endDate", "合同到期时间"},
    {"F_CBflag", "参保否"},
    {"F_DAcode", "档案号"},
};

// ---------------------------------------------------------------------------
// cfg_stat: statements of the chart window.
//
// Every statement counts working employees hired in [:fromDate, :toDate]
// (each parameter used once), yields F_name (label) and F_num (integer
// count), and orders by F_num descending, then the label. The label is
// computed in a subquery, so grouping and ordering refer to that subquery's
// columns only and never to t_employee.F_name.
//
// SQLite: dates are 'yyyy-MM-dd' text, booleans 0/1. Labels are grouped and
// ordered by their bytes.
// PostgreSQL: dates are date, booleans boolean, texts citext; count(*) is
// cast to integer, the two result columns are quoted so they keep the exact
// names F_name and F_num (unquoted names fold to lower case there), and
// labels are ordered by code point (collation "C") so both engines list ties
// alike.
// ---------------------------------------------------------------------------

#define STAT_WORKING_IN_RANGE                                                  \
    " from t_employee where F_useFlag = false"                                 \
    " and F_beginDate >= :fromDate and F_beginDate <= :toDate"

#define STAT_SQLITE_TAIL(label)                                                \
    "select F_name, count(*) as F_num from (select " label " as F_name"       \
    STAT_WORKING_IN_RANGE ") s group by F_name order by F_num desc, F_name"

#define STAT_POSTGRES_TAIL(label)                                              \
    "select F_name as \"F_name\", count(*)::integer as \"F_num\" from (select " \
    label " as F_name" STAT_WORKING_IN_RANGE ") s group by F_name"             \
    " order by \"F_num\" desc, F_name collate \"C\""

// A text column as a label: blank or NULL reads 未填写.
#define STAT_TEXT_LABEL(column) "coalesce(nullif(trim(" column "),''),'未填写')"

#define STAT_TEXT(name, column)                                                \
    {name, STAT_SQLITE_TAIL(STAT_TEXT_LABEL(column)),                          \
     STAT_POSTGRES_TAIL(STAT_TEXT_LABEL(column))}

// Age bands as of today; the no-date value (anything before 1901-08-14) and
// NULL read 未填写. The age is computed once in the innermost subquery.
#define STAT_AGE_BANDS                                                         \
    "case when F_birthDay is null or F_birthDay < '1901-08-14' then '未填写'"  \
    " when F_age < 25 then '25岁以下'"                                         \
    " when F_age < 35 then '25-34岁'"                                          \
    " when F_age < 45 then '35-44岁'"                                          \
    " when F_age < 55 then '45-54岁'"                                          \
    " else '55岁及以上' end"

#define STAT_AGE_SQLITE_AGE                                                    \
    "(cast(strftime('%Y','now','localtime') as integer)"                       \
    " - cast(substr(F_birthDay,1,4) as integer))"                              \
    " - (strftime('%m-%d','now','localtime') < substr(F_birthDay,6,5))"

#define STAT_AGE_POSTGRES_AGE "date_part('year', age(current_date, F_birthDay))"

// The year of hiring; the no-date value and NULL read 未填写.
#define STAT_YEAR_SQLITE                                                       \
    "case when F_beginDate is null or F_beginDate < '1901-08-14' then '未填写'" \
    " else substr(F_beginDate,1,4) end"

#define STAT_YEAR_POSTGRES                                                     \
    "case when F_beginDate is null or F_beginDate < '1901-08-14' then '未填写'" \
    " else to_char(F_beginDate,'YYYY') end"

constexpr StatSeed kStatistics[] = {
    STAT_TEXT("学历", "F_xueli"),
    STAT_TEXT("性别", "F_sex"),
    STAT_TEXT("部门", "F_dept"),
    STAT_TEXT("职务", "F_duty"),
    STAT_TEXT("民族", "F_minzu"),
    STAT_TEXT("政治面貌", "F_ZZmianmao"),
    STAT_TEXT("录用来源", "F_laiyuan"),
    {"年龄段",
     "select F_name, count(*) as F_num from (select " STAT_AGE_BANDS
     " as F_name from (select F_birthDay, " STAT_AGE_SQLITE_AGE " as F_age"
     STAT_WORKING_IN_RANGE ") a) s group by F_name order by F_num desc, F_name",
     "select F_name as \"F_name\", count(*)::integer as \"F_num\" from (select "
     STAT_AGE_BANDS " as F_name from (select F_birthDay, " STAT_AGE_POSTGRES_AGE
     " as F_age" STAT_WORKING_IN_RANGE ") a) s group by F_name"
     " order by \"F_num\" desc, F_name collate \"C\""},
    {"录用年份", STAT_SQLITE_TAIL(STAT_YEAR_SQLITE), STAT_POSTGRES_TAIL(STAT_YEAR_POSTGRES)},
    STAT_TEXT("学历类别", "F_xueliLB"),
    STAT_TEXT("技术职称", "F_jishuZC"),
    STAT_TEXT("婚否", "F_IFhun"),
    STAT_TEXT("合同期限", "F_HTqixian"),
    STAT_TEXT("参保否", "F_CBflag"),
};

#undef STAT_WORKING_IN_RANGE
#undef STAT_SQLITE_TAIL
#undef STAT_POSTGRES_TAIL
#undef STAT_TEXT_LABEL
#undef STAT_TEXT
#undef STAT_AGE_BANDS
#undef STAT_AGE_SQLITE_AGE
#undef STAT_AGE_POSTGRES_AGE
#undef STAT_YEAR_SQLITE
#undef STAT_YEAR_POSTGRES

} // namespace

std::span<const CodeSeed> StarterCodes()
{
    return kCodes;
}

std::span<const ImportSeed> EmployeeImportColumns()
{
    return kImportColumns;
}

std::span<const StatSeed> StarterStatistics()
{
    return kStatistics;
}
